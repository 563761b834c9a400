// The show's controls: the panel a tap or a mouse move brings up over the
// show (next effect, scroll speeds, full screen, stop), whose presses reach
// the show as key presses through `key`, and full screen by the button or a
// double-click. isPlaying() tells whether a show runs.
'use strict';

function createControls({ stage, canvas, panel, fullButton, key, isPlaying }) {
    const CONTROLS_SHOWN_MS = 3000;

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

    // A tap or a mouse move over the show brings the controls up; they go
    // after a while without input.
    const controls = {
        timer: 0,

        show() {
            if (!isPlaying()) return;
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

    return { buttonKeys, panel: controls };
}
