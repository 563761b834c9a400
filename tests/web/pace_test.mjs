// The page's pace (src/web/page/pace.js) under node, with synthetic
// animation-frame timestamps and a show that draws a frame whenever it is
// woken: 60 show frames a second of the timestamps on displays of 60, 120
// and 240 Hz (one a refresh at 60 Hz, its timestamps' jitter too), two a
// refresh on a 30 Hz display, no rush after a stall, and nothing while the
// page is hidden.
//   node pace_test.mjs PACE_JS
import { readFileSync } from 'node:fs';
import { runInNewContext } from 'node:vm';

const context = {};
runInNewContext(readFileSync(process.argv[2], 'utf8'), context);
let failures = 0;
function check(ok, message) {
    if (ok) return;
    console.error(`FAIL: ${message}`);
    failures++;
}

// A display whose refreshes the test steps through; the show's frames are
// counted per refresh.
function display() {
    const pending = [];
    let time = 0;
    const pace = context.createPace({
        requestFrame: (callback) => pending.push(callback),
        now: () => time,
        frameDrawn: () => {},
        draw: () => {},
        heard: () => null,
    });
    const show = () => pace.frameDrawn(show);  // draws the next frame when woken
    pace.newRun();
    show();
    return {
        pace,
        // Refreshes every `ms` for `seconds`, each timestamp off by up to
        // `jitter` ms; the show's frames at each.
        run(ms, seconds, jitter = 0) {
            const perRefresh = [];
            for (const end = time + seconds * 1000; time < end;) {
                time += ms;
                const before = pace.total;
                const stamp = time + jitter * Math.sin(time * 7.3);
                for (const callback of pending.splice(0)) callback(stamp);
                perRefresh.push(pace.total - before);
            }
            return perRefresh;
        },
        skip(ms) {
            time += ms;
        },
    };
}

const sum = (values) => values.reduce((a, b) => a + b, 0);

for (const hz of [60, 120, 240]) {
    const frames = display().run(1000 / hz, 10);
    check(Math.abs(sum(frames) - 600) <= 1, `${hz} Hz: ${sum(frames)} frames in 10 s, not 600`);
    check(Math.max(...frames) === 1, `${hz} Hz: ${Math.max(...frames)} frames at one refresh`);
}

const jittered = display().run(1000 / 60, 10, 2).slice(1);  // the first frame is shown at the first refresh
check(jittered.every((frames) => frames === 1), `60 Hz with jitter: ${[...new Set(jittered)].join(', ')} frames a refresh`);

const slow = display().run(1000 / 30, 10).slice(1);
check(slow.every((frames) => frames === 2), `30 Hz: ${[...new Set(slow)].join(', ')} frames a refresh, not 2`);

// A stall of half a second: a few frames at once, then on at 60 a second
// from there, never a rush to catch up.
const stalled = display();
stalled.run(1000 / 60, 1);
stalled.skip(500);
const after = stalled.run(1000 / 60, 2);
check(after[0] <= 4, `after a stall: ${after[0]} frames at once`);
check(Math.max(...after.slice(1)) === 1, `after a stall: ${Math.max(...after.slice(1))} frames at one refresh`);
check(Math.abs(sum(after) - 120) <= 5, `after a stall: ${sum(after)} frames in 2 s`);

// Hidden for 3 s while the browser goes on giving refreshes: no frames;
// shown again, on at 60 a second without making up the time.
const hidden = display();
hidden.run(1000 / 60, 1);
hidden.pace.pause();
const whileHidden = hidden.run(1000 / 60, 3);
hidden.pace.resume();
const shown = hidden.run(1000 / 60, 2);
check(sum(whileHidden) === 0, `${sum(whileHidden)} frames while hidden`);
check(Math.abs(sum(shown) - 120) <= 2 && Math.max(...shown) === 1, `shown again: ${sum(shown)} frames in 2 s`);

if (failures) process.exit(1);
console.log('-- passed');
