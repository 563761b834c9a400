// The page around the intro: loads the intro of the chosen screen height
// (or takes the one built into the page) and starts the show on a tap or
// click (browsers start sound only after a gesture). It keeps the show at 60 frames a second of real
// time whatever the display's rate, pauses the show and its music while the
// page is hidden, keeps the screen awake while the show plays, scales the
// canvas to fit with sharp pixels, gives touch and mouse player controls,
// and after a quit offers to play again. window.tarnovex reports the frames,
// the frame work, the start's timings and the sound output for whoever
// watches (the tests). The show draws into the canvas only through draw()
// and reads the keys only through key().
'use strict';

(() => {
    // What the build put into the page: the AudioWorklet as a data: URL and,
    // in the one-file edition, the 320 x 240 program, gzipped, in base64
    // (make_page.py).
    const built = window.tarnovexBuild;
    const WIDTH = 320;
    const HEIGHT = !built.program && location.search === '?200' ? 200 : 240;
    const SAMPLE_RATE = 44100;  // the desktop's; libmikmod's rate is 16 bits, too small for 96 kHz
    const LEAD_SECONDS = 0.1;  // how far the mix runs ahead of the speakers
    const FRAME_MS = 1000 / 60;  // the show's frame counts are made for 60 frames a second
    // Behind real time (a slow display, a busy machine), the show draws up
    // to this many frames per animation frame; slower still, it slows down.
    const MOST_FRAMES_PER_PAINT = 4;
    const CONTROLS_SHOWN_MS = 3000;
    const SOUND_START_WAIT_MS = 3000;
    const KEPT_WORK = 4096;

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

    // Full screen turns a phone to landscape where the browser lets a page
    // lock the orientation.
    function toggleFullScreen() {
        if (document.fullscreenElement) {
            document.exitFullscreen();
        } else if (stage.requestFullscreen) {
            stage.requestFullscreen()
                .then(() => screen.orientation && screen.orientation.lock('landscape'))
                .catch(() => {});
        }
        canvas.focus({ preventScroll: true });
    }
    fullButton.hidden = !document.fullscreenEnabled;
    document.addEventListener('fullscreenchange', () => {
        fullButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
    });
    stage.addEventListener('dblclick', (event) => {
        if (!event.target.closest('button, a')) toggleFullScreen();
    });
    stage.addEventListener('click', (event) => {
        if (!event.target.closest('button, a')) canvas.focus({ preventScroll: true });
    });

    // The mix goes to an AudioWorklet in chunks; `position` is the sample
    // the next chunk starts at, in the audio context's time. While the page
    // is hidden the context is suspended: its clock stops with the show, and
    // the queued music waits in the worklet.
    const audio = {
        rate: SAMPLE_RATE,
        context: null,
        node: null,
        position: 0,
        mixed: 0,
        stats: { played: 0, underruns: 0, peak: 0 },

        // Made as the page loads, so that the start only has to resume it.
        async prepare() {
            this.context = new AudioContext({ sampleRate: SAMPLE_RATE });
            this.rate = this.context.sampleRate;
            if (!this.context.audioWorklet) {
                console.warn('TARNOVEX: no AudioWorklet here (the page needs https or localhost): no sound');
                return;
            }
            await this.context.audioWorklet.addModule(built.worklet);
            this.node = new AudioWorkletNode(this.context, 'tarnovex-feed', { outputChannelCount: [2] });
            this.node.port.onmessage = (event) => { this.stats = event.data; };
            this.node.connect(this.context.destination);
        },

        pause() {
            if (this.context) this.context.suspend();
        },

        // Resolves once the sound plays, so that the music starts with the
        // pictures (a browser may take a second or more to open its sound
        // output), or after SOUND_START_WAIT_MS: where the browser keeps the
        // sound suspended the show runs all the same, and the music joins
        // when the sound may start.
        resume() {
            if (!this.context) return Promise.resolve();
            const waited = new Promise((resolve) => setTimeout(resolve, SOUND_START_WAIT_MS));
            return Promise.race([this.context.resume().catch(() => {}), waited]);
        },

        // Sample frames to mix now to keep the queue LEAD_SECONDS ahead; after
        // a stall the mix goes on from what plays now.
        wanted() {
            if (!this.node) return 0;
            const now = Math.round(this.context.currentTime * this.rate);
            this.position = Math.max(this.position, now);
            return Math.max(0, now + Math.round(LEAD_SECONDS * this.rate) - this.position);
        },

        // 16-bit interleaved stereo in, one float array per channel out.
        send(samples) {
            const count = samples.length / 2;
            const left = new Float32Array(count);
            const right = new Float32Array(count);
            for (let i = 0; i < count; i++) {
                left[i] = samples[2 * i] / 32768;
                right[i] = samples[2 * i + 1] / 32768;
            }
            this.node.port.postMessage({ left, right }, [left.buffer, right.buffer]);
            this.position += count;
            this.mixed += count;
        },

        stop() {
            if (this.node) this.node.port.postMessage({ stop: true });
        },
    };

    // The controls' presses reach the show as key presses that last exactly
    // one of its frames, as a quick tap of the key does: the show reads the
    // key held at the end of every frame, and space held for two frames
    // would skip two parts. A press goes down after one frame is drawn and
    // comes up after the next.
    const buttonKeys = {
        queued: [],
        held: null,

        press(code) {
            this.queued.push(code);
        },

        send(type, keyCode) {
            key(type === 'keydown' ? keyCode : 0);
        },

        frameDrawn() {
            if (this.held !== null) {
                this.send('keyup', this.held);
                this.held = null;
            } else if (this.queued.length) {
                this.held = this.queued.shift();
                this.send('keydown', this.held);
            }
        },

        clear() {
            if (this.held !== null) this.send('keyup', this.held);
            this.held = null;
            this.queued = [];
        },
    };

    // The show's clock. After each frame it draws, the show goes on at once
    // while it is behind real time, else sleeps until the animation frame at
    // which its next frame is due. Frame k of a run is due k frame times
    // after the first was shown, timed by the animation frames' timestamps,
    // so a faster display shows each frame for more than one refresh. A pause
    // (a hidden page) or a show too slow to keep up moves the start on, so no
    // frames are run to catch up.
    const pace = {
        drawn: 0,  // frames drawn in this run
        origin: null,  // when frame 0 was due; null: the next animation frame decides
        due: 0,  // frames that should be drawn by the current animation frame
        batchEnd: 0,
        sleeping: null,  // wakes the show up
        scheduled: false,
        paused: false,
        started: null,  // performance.now() time of the run's first animation frame
        total: 0,
        animationFrames: 0,
        work: [],  // milliseconds of the main thread per drawn frame

        newRun() {
            this.drawn = 0;
            this.origin = null;
            this.due = 0;
            this.started = null;
        },

        frameDrawn(wakeUp) {
            this.drawn++;
            this.total++;
            buttonKeys.frameDrawn();
            if (this.drawn < this.due && this.drawn < this.batchEnd) {
                wakeUp();
                return;
            }
            this.sleeping = wakeUp;
            this.schedule();
        },

        schedule() {
            if (this.scheduled || this.paused) return;
            this.scheduled = true;
            requestAnimationFrame((time) => this.animationFrame(time));
        },

        animationFrame(time) {
            this.scheduled = false;
            if (this.paused || !this.sleeping) return;
            this.animationFrames++;
            if (this.started === null) this.started = time;
            // The last frame drawn is the one due now. Rounded to the nearest
            // frame, the timestamps' jitter on a 60 Hz display neither skips
            // nor repeats one.
            if (this.origin === null) this.origin = time - (this.drawn - 1) * FRAME_MS;
            this.due = Math.floor((time - this.origin) / FRAME_MS + 0.5) + 1;
            if (this.drawn >= this.due) {
                this.schedule();
                return;
            }
            this.batchEnd = this.drawn + MOST_FRAMES_PER_PAINT;
            const before = this.drawn;
            const wakeUp = this.sleeping;
            this.sleeping = null;
            const start = performance.now();
            wakeUp();
            draw();
            this.noteWork((performance.now() - start) / Math.max(1, this.drawn - before));
            if (this.drawn < this.due) this.origin = time - (this.drawn - 1) * FRAME_MS;
        },

        noteWork(milliseconds) {
            this.work.push(milliseconds);
            if (this.work.length > KEPT_WORK) this.work.shift();
        },

        pause() {
            this.paused = true;
        },

        resume() {
            this.paused = false;
            this.origin = null;
            if (this.sleeping) this.schedule();
        },
    };

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

    // A tap or a mouse move over the show brings the controls up; they go
    // after a while without input.
    const controls = {
        timer: 0,

        show() {
            if (!playing) return;
            panel.classList.add('shown');
            clearTimeout(this.timer);
            this.timer = setTimeout(() => this.hide(), CONTROLS_SHOWN_MS);
        },

        hide() {
            clearTimeout(this.timer);
            panel.classList.remove('shown');
        },
    };
    stage.addEventListener('pointermove', () => controls.show());
    stage.addEventListener('pointerdown', () => controls.show());
    for (const button of panel.querySelectorAll('button[data-key]')) {
        button.addEventListener('click', () => {
            buttonKeys.press(Number(button.dataset.key));
            canvas.focus({ preventScroll: true });
        });
    }
    fullButton.addEventListener('click', toggleFullScreen);

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
