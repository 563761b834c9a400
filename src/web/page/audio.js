// The page's sound output: an AudioWorklet processor that plays the stereo
// chunks the intro's mixer sends, in order, and reports what it played.
// A gap (the queue ran dry while the music was on) counts as one underrun.
class TarnovexFeed extends AudioWorkletProcessor {
    constructor() {
        super();
        this.chunks = [];
        this.offset = 0;
        this.playing = false;
        this.dry = false;
        this.stats = { played: 0, underruns: 0, peak: 0 };
        this.sinceReport = 0;
        this.port.onmessage = (event) => this.receive(event.data);
    }

    receive(message) {
        if (message.stop) {
            this.playing = false;
            this.dry = false;
            return;
        }
        if (this.dry) this.stats.underruns++;
        this.dry = false;
        this.playing = true;
        this.chunks.push(message);
    }

    process(inputs, outputs) {
        const [left, right] = outputs[0];
        let done = 0;
        while (done < left.length && this.chunks.length) {
            const chunk = this.chunks[0];
            const count = Math.min(left.length - done, chunk.left.length - this.offset);
            left.set(chunk.left.subarray(this.offset, this.offset + count), done);
            right.set(chunk.right.subarray(this.offset, this.offset + count), done);
            for (let i = done; i < done + count; i++) {
                this.stats.peak = Math.max(this.stats.peak, Math.abs(left[i]), Math.abs(right[i]));
            }
            done += count;
            this.offset += count;
            if (this.offset === chunk.left.length) {
                this.chunks.shift();
                this.offset = 0;
            }
        }
        left.fill(0, done);
        right.fill(0, done);
        if (done < left.length && this.playing) this.dry = true;
        this.stats.played += done;
        this.sinceReport += left.length;
        if (this.sinceReport >= sampleRate / 10) {
            this.port.postMessage(this.stats);
            this.sinceReport = 0;
        }
        return true;
    }
}

registerProcessor('tarnovex-feed', TarnovexFeed);
