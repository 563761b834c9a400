// The player: loads the intro of the chosen screen height (or takes the one
// built into the page) and starts the show on a tap or click (browsers start
// sound only after a gesture). Its pace (pace.js) keeps the show at 60
// frames a second of real time whatever the display's rate; the show and its
// music (audio_output.js) pause while the page is hidden; the screen stays
// awake while the show plays; the canvas is scaled to fit with sharp pixels;
// touch and mouse controls (controls.js) play it; after a quit the page
// offers to play again. window.tarnovex reports the frames, the frame work,
// the start's timings and the sound output for whoever watches (the tests).
// The show draws into the canvas only through draw() and reads the keys only
// through key().
'use strict';

(() => {
    // What the build put into the page: the AudioWorklet as a data: URL and,
    // in the one-file edition, the 320 x 240 program, gzipped, in base64
    // (make_page.py).
    const built = window.tarnovexBuild;
    const WIDTH = 320;
    const HEIGHT = !built.program && location.search === '?200' ? 200 : 240;

    const stage = document.getElementById('stage');
    const canvas = document.getElementById('canvas');
    const cover = document.getElementById('cover');
    const again = document.getElementById('again');
    const status = document.getElementById('status');
    const panel = document.getElementById('controls');
    const fullButton = document.getElementById('full');
    canvas.height = HEIGHT;
    document.getElementById(`h${HEIGHT}`).style.fontWeight = 'bold';
    document.getElementById('heights').hidden = Boolean(built.program);
    let playing = false;

    // On a high-density screen (phones, tablets) the picture fills the room:
    // with two or more device pixels to a CSS pixel, the uneven sizes of
    // nearest-neighbour pixels are not seen. Elsewhere it takes the largest
    // whole number of device pixels per picture pixel that fits, and on a
    // screen smaller than the picture the largest fraction.
    function fit() {
        const ratio = window.devicePixelRatio || 1;
        const room = Math.min(stage.clientWidth * ratio / WIDTH, stage.clientHeight * ratio / HEIGHT);
        const scale = (room >= 1 && ratio < 2 ? Math.floor(room) : room) / ratio;
        canvas.style.transform = `translate(-50%, -50%) scale(${scale})`;
    }
    window.addEventListener('resize', fit);
    document.addEventListener('fullscreenchange', fit);
    fit();

    const { buttonKeys, panel: controls } = createControls({ stage, canvas, panel, fullButton, key,
        isPlaying: () => playing });

    const audio = createAudioOutput(built.worklet);

    const pace = createPace({
        requestFrame: (callback) => requestAnimationFrame(callback),
        now: () => performance.now(),
        frameDrawn: () => buttonKeys.frameDrawn(),
        draw,
        heard: () => audio.heard(),
    });

    // The screen stays awake while the show plays, where the browser can
    // keep it so. The browser lets the lock go when the page is hidden; it is
    // taken again when the page is shown.
    const wake = {
        lock: null,
        wanted: false,

        async hold() {
            this.wanted = true;
            if (!navigator.wakeLock || this.lock || document.hidden) return;
            try {
                const lock = await navigator.wakeLock.request('screen');
                lock.addEventListener('release', () => {
                    if (this.lock === lock) this.lock = null;
                });
                this.lock = lock;
                if (!this.wanted) this.release();
            } catch (error) {
                // Refused (a battery saver, a policy): the screen may sleep.
            }
        },

        release() {
            this.wanted = false;
            if (this.lock) this.lock.release();
            this.lock = null;
        },

        state() {
            if (!navigator.wakeLock) return 'unavailable';
            return this.lock ? 'held' : 'free';
        },
    };

    document.addEventListener('visibilitychange', () => {
        if (document.hidden) {
            pace.pause();
            audio.pause();
            return;
        }
        audio.resume().then(() => {
            if (!document.hidden) pace.resume();
        });
        if (wake.wanted) wake.hold();
    });

    // The show's frames reach the canvas here: after each animation frame's
    // batch, the last frame made.
    const context = canvas.getContext('2d');
    let frame = null;
    const timings = { clicked: null, firstFrame: null };
    function draw() {
        if (!frame || !frame.data.length) return;
        context.putImageData(frame, 0, 0);
        if (timings.firstFrame === null) timings.firstFrame = performance.now();
    }

    // The key the show reads on its next frame: the desktop's key code of the
    // last key pressed, 0 after a release.
    function key(code) {
        program.keyCode = code;
    }
    const FUNCTION_KEY_BASE = 282 - 112;  // F1 in the desktop's codes less F1's DOM code
    function desktopKeyCode(code) {
        if (code >= 65 && code <= 90) return code + 32;  // letters, as lower case
        if (code >= 112 && code <= 123) return (code + FUNCTION_KEY_BASE) & 0xFF;
        if (code === 46) return 127;  // Delete
        return [8, 9, 13, 27, 32].includes(code) || (code >= 48 && code <= 57) ? code : 0;
    }
    canvas.addEventListener('keydown', (event) => {
        const code = desktopKeyCode(event.keyCode);
        if (code) event.preventDefault();
        key(code);
    });
    canvas.addEventListener('keyup', () => key(0));

    // The program makes its data files, then waits for each start: the first
    // tap or click, and each "play again" after a show.
    let start = null;
    let shows = 0;
    const program = {
        keyCode: 0,
        audio,
        print: (text) => console.log(text),
        printErr: (text) => console.error(text),
        onIdle(startShow) {
            start = startShow;
            if (shows++ === 0) {
                status.textContent = 'Tap or click to start';
                return;
            }
            playing = false;
            controls.hide();
            buttonKeys.clear();
            wake.release();
            again.hidden = false;
        },
        onFrame(shown, wakeUp) {
            frame = shown;
            pace.frameDrawn(wakeUp);
        },
        // The program has stopped for good: the cover says why.
        onFail(message) {
            console.error(message);
            playing = false;
            controls.hide();
            wake.release();
            audio.stop();
            again.hidden = true;
            status.textContent = message;
            cover.hidden = false;
        },
    };

    // The music starts with the pictures: the show waits until the sound
    // plays (or gives up waiting, see audio.resume).
    function startShow() {
        playing = true;
        pace.newRun();
        wake.hold();
        canvas.focus({ preventScroll: true });
        audio.resume().then(() => {
            const run = start;
            start = null;
            run();
            draw();
        });
    }
    document.getElementById('replay').addEventListener('click', () => {
        again.hidden = true;
        startShow();
    });

    window.tarnovex = {
        height: HEIGHT,
        frames: () => ({
            drawn: pace.total,
            animationFrames: pace.animationFrames,
            started: pace.started,
            paused: pace.paused,
        }),
        work: pace.work,
        audio: () => ({
            state: audio.context && audio.context.state,
            rate: audio.rate,
            mixed: audio.mixed,
            ...audio.stats,
        }),
        wakeLock: () => wake.state(),
        // The frame on the canvas and the frames of music heard, in this show.
        sync: () => {
            const heard = audio.heard();
            return { shown: pace.drawn - 1, heard: heard === null ? null : heard * 60 };  // the show's frames are 1/60 s
        },
        timings,
        key,
        program,
    };

    cover.addEventListener('click', (event) => {
        if (!start || event.target.closest('a')) return;
        timings.clicked = performance.now();
        cover.hidden = true;
        startShow();
    });

    // The program's WebAssembly: fetched beside the page, or unpacked from it.
    function programBytes() {
        if (!built.program) {
            return fetch(`tarnovex-${HEIGHT}.wasm`).then((response) => {
                if (!response.ok) throw new Error(`cannot load tarnovex-${HEIGHT}.wasm`);
                return response.arrayBuffer();
            });
        }
        const packed = Uint8Array.from(atob(built.program), (c) => c.charCodeAt(0));
        return new Response(new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
    }
    audio.prepare().catch((error) => console.warn('TARNOVEX: no sound:', error));
    programBytes()
        .then((wasmBinary) => {
            program.wasmBinary = wasmBinary;
            return createTarnovex(program);
        })
        .catch((error) => { status.textContent = error.message; });
})();
