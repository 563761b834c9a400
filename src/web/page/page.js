// The page around the intro: loads the intro of the chosen screen height
// (or takes the one built into the page), starts the show on a click
// (browsers start sound only after a gesture), scales the canvas to fit
// with sharp pixels, offers full screen and, after a quit, to play again. window.tarnovex reports the
// frame times and the sound output for whoever watches (the tests), and
// window.tarnovex.key(code) is the one way in for the show's key codes.
'use strict';

(() => {
    // What the build put into the page: the AudioWorklet as a data: URL and,
    // in the one-file edition, the 320 x 240 program, gzipped, in base64.
    const built = window.tarnovexBuild;
    const WIDTH = 320;
    const HEIGHT = !built.program && location.search === '?200' ? 200 : 240;
    const SAMPLE_RATE = 44100;  // the desktop's; libmikmod's rate is 16 bits, too small for 96 kHz
    const LEAD_SECONDS = 0.1;  // how far the mix runs ahead of the speakers
    const KEPT_FRAMES = 4096;

    const stage = document.getElementById('stage');
    const canvas = document.getElementById('canvas');
    const cover = document.getElementById('cover');
    const again = document.getElementById('again');
    const status = document.getElementById('status');
    canvas.height = HEIGHT;
    document.getElementById(`h${HEIGHT}`).style.fontWeight = 'bold';
    document.getElementById('heights').hidden = Boolean(built.program);

    // The largest whole number of device pixels per picture pixel that fits;
    // on a screen smaller than the picture, the largest fraction.
    function fit() {
        const ratio = window.devicePixelRatio || 1;
        const room = Math.min(stage.clientWidth * ratio / WIDTH, stage.clientHeight * ratio / HEIGHT);
        const scale = (room >= 1 ? Math.floor(room) : room) / ratio;
        canvas.style.transform = `translate(-50%, -50%) scale(${scale})`;
    }
    window.addEventListener('resize', fit);
    document.addEventListener('fullscreenchange', fit);
    fit();

    function toggleFullScreen() {
        if (document.fullscreenElement) {
            document.exitFullscreen();
        } else if (stage.requestFullscreen) {
            stage.requestFullscreen().catch(() => {});
        }
        canvas.focus();
    }
    document.getElementById('full').addEventListener('click', toggleFullScreen);
    stage.addEventListener('dblclick', toggleFullScreen);
    stage.addEventListener('click', () => canvas.focus());

    // The mix goes to an AudioWorklet in chunks; `position` is the sample
    // the next chunk starts at, in the audio context's time.
    const audio = {
        rate: SAMPLE_RATE,
        context: null,
        node: null,
        position: 0,
        stats: { played: 0, underruns: 0, peak: 0 },

        // Made as the page loads, so that the start click only resumes it and
        // the show's first frame need not wait for the worklet.
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

        // Browsers let the sound start only from a gesture. Not awaited: where
        // the sound stays suspended the show still runs, and the music joins
        // when the sound may start.
        start() {
            if (this.context) this.context.resume();
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
        },

        stop() {
            if (this.node) this.node.port.postMessage({ stop: true });
        },
    };

    const frames = { times: [], work: [] };

    function keepFrameWork(milliseconds) {
        frames.times.push(performance.now());
        frames.work.push(milliseconds);
        if (frames.times.length > KEPT_FRAMES) {
            frames.times.shift();
            frames.work.shift();
        }
    }

    // The show's frames: the program stops after each presented frame and
    // hands over its pixels and the way to go on. One frame runs per
    // animation frame, and the last one made is drawn.
    const context = canvas.getContext('2d');
    const show = { frame: null, resume: null };
    const timings = { clicked: null, firstFrame: null };
    function draw() {
        if (!show.frame || !show.frame.data.length) return;
        context.putImageData(show.frame, 0, 0);
        if (timings.firstFrame === null) timings.firstFrame = performance.now();
    }
    function tick() {
        requestAnimationFrame(tick);
        if (!show.resume) return;
        const started = performance.now();
        const resume = show.resume;
        show.resume = null;
        resume();
        draw();
        keepFrameWork(performance.now() - started);
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
    // click, and each "play again" after a show.
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
                status.textContent = 'Click to start';
            } else {
                again.hidden = false;
            }
        },
        onFrame(frame, resume) {
            show.frame = frame;
            show.resume = resume;
        },
    };

    function startShow() {
        canvas.focus();
        audio.start();
        const run = start;
        start = null;
        run();
        draw();
    }
    document.getElementById('replay').addEventListener('click', () => {
        again.hidden = true;
        startShow();
    });

    window.tarnovex = {
        height: HEIGHT,
        key,
        frames,
        timings,
        audio: () => ({ state: audio.context && audio.context.state, rate: audio.rate, ...audio.stats }),
    };

    cover.addEventListener('click', (event) => {
        if (!start || event.target.closest('a')) return;
        timings.clicked = performance.now();
        cover.hidden = true;
        startShow();
    });
    requestAnimationFrame(tick);

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
