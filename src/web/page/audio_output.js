// The page's sound output: the program's mix goes to an AudioWorklet
// (`worklet`, its script as a URL) through a context made as the page loads.
'use strict';

function createAudioOutput(worklet) {
    const SAMPLE_RATE = 44100;  // the desktop's; libmikmod's rate is 16 bits, too small for 96 kHz
    const LEAD_SECONDS = 0.1;  // how far the mix runs ahead of the speakers
    const SOUND_START_WAIT_MS = 3000;

    // The mix goes to an AudioWorklet in chunks; `position` is the sample
    // the next chunk starts at, in the audio context's time. While the page
    // is hidden the context is suspended: its clock stops with the show, and
    // the queued music waits in the worklet.
    return {
        rate: SAMPLE_RATE,
        context: null,
        node: null,
        position: 0,
        mixed: 0,
        showMixed: 0,  // sample frames mixed for the show that plays
        stats: { played: 0, underruns: 0, peak: 0 },

        // Made as the page loads, so that the start only has to resume it.
        async prepare() {
            this.context = new AudioContext({ sampleRate: SAMPLE_RATE });
            this.rate = this.context.sampleRate;
            if (!this.context.audioWorklet) {
                console.warn('TARNOVEX: no AudioWorklet here (the page needs https or localhost): no sound');
                return;
            }
            await this.context.audioWorklet.addModule(worklet);
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
            this.showMixed += count;
        },

        stop() {
            if (this.node) this.node.port.postMessage({ stop: true });
            this.showMixed = 0;
        },

        // Seconds of the show's music heard by now: the audio clock, less the
        // output latency where the browser reports it, since the show's first
        // sample played. Null while none of the show's music plays.
        heard() {
            if (!this.node || !this.showMixed || this.context.state !== 'running') return null;
            const latency = (this.context.outputLatency || 0) + (this.context.baseLatency || 0);
            return this.context.currentTime - latency - (this.position - this.showMixed) / this.rate;
        },
    };
}
