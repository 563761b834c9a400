// The show's clock. After each frame it draws, the show goes on at once
// while it is behind real time, else sleeps until the animation frame at
// which its next frame is due. Frame k of a run is due k frame times
// after the first was shown, timed by the animation frames' timestamps,
// so a faster display shows each frame for more than one refresh. A pause
// (a hidden page) or a show too slow to keep up moves the start on, so no
// frames are run to catch up.
//
// createPace(page): `page` gives requestFrame(callback) (the browser's
// requestAnimationFrame), now() (performance.now), frameDrawn() (told of
// each frame the show makes), draw() (the last frame onto the canvas) and
// heard() (seconds of the show's music heard, or null without music).
'use strict';

function createPace(page) {
    const FRAME_MS = 1000 / 60;  // the show's frame counts are made for 60 frames a second
    // Behind real time (a slow display, a busy machine), the show draws up
    // to this many frames per animation frame; slower still, it slows down.
    const MOST_FRAMES_PER_PAINT = 4;
    const KEPT_WORK = 4096;

    return {
        drawn: 0,  // frames drawn in this run
        origin: null,  // when frame 0 was due; null: the next animation frame decides
        due: 0,  // frames that should be drawn by the current animation frame
        batchEnd: 0,
        sleeping: null,  // wakes the show up
        scheduled: false,
        paused: false,
        started: null,  // page.now() time of the run's first animation frame
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
            page.frameDrawn();
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
            page.requestFrame((time) => this.animationFrame(time));
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
            // Where the music plays, the pictures keep with it: frame k is due
            // as the music of frame k is heard.
            const heard = page.heard();
            if (heard !== null) {
                const heardOrigin = page.now() - heard * 1000;
                if (Math.abs(heardOrigin - this.origin) > FRAME_MS) this.origin = heardOrigin;
            }
            this.due = Math.floor((time - this.origin) / FRAME_MS + 0.5) + 1;
            if (this.drawn >= this.due) {
                this.schedule();
                return;
            }
            this.batchEnd = this.drawn + MOST_FRAMES_PER_PAINT;
            const before = this.drawn;
            const wakeUp = this.sleeping;
            this.sleeping = null;
            const start = page.now();
            wakeUp();
            page.draw();
            this.noteWork((page.now() - start) / Math.max(1, this.drawn - before));
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
}
