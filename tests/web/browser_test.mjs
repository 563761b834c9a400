// The web edition as visitors meet it, in a headless browser. On a desktop
// page: a click starts the show, part one stays on the canvas for its 201 frames
// and part two holds it until at least 30 s after the start, whatever the
// display's rate, the music plays within two frames of the pictures, the
// scroll text goes to the console, a hidden page pauses the show and its
// music together, space moves on, Escape fades to black, and the show plays
// again. On a touch phone with
// no keyboard: the picture fills the width (the height, turned), a tap
// brings the controls up, "Next effect" moves on, the controls fade, and
// "Stop" fades to black. Over an emulated slow mobile network ("Fast 3G",
// no cache, the files gzipped as a web server sends them) the page needs two
// requests (besides the icons and manifest the browser fetches for itself)
// and shows the show's first frame soon after navigation; the
// one-file edition (TARNOVEX_ONE_FILE) plays from file://, and served
// declared UTF-8, with no other request and with its music.
//
//   node browser_test.mjs SITE_DIR NATIVE_BUILD_DIR [chromium|firefox] [--unthrottled|--30hz]
// Prints the frame rate, the main thread's work per frame and the sound
// output it measured. "firefox" plays the page in Debian's firefox-esr,
// whose sound needs a sound server (PulseAudio with a null sink will do).
// --unthrottled gives animation frames as fast as the browser can, as on
// the fastest displays; --30hz (Firefox only) 30 a second, as on a slow
// display, where the show draws two frames per animation frame.
import { spawn, execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [site, nativeBuild, ...options] = process.argv.slice(2);
const firefox = options.includes('firefox');
const unthrottled = options.includes('--unthrottled');
const slow = options.includes('--30hz');
const LAUNCH = firefox
    ? {
        browser: 'firefox',
        executablePath: '/usr/bin/firefox-esr',
        // Timers to the microsecond for the frame work; a frame rate of 0
        // asks for animation frames as fast as they come.
        extraPrefsFirefox: {
            'privacy.reduceTimerPrecision': false,
            ...(unthrottled && { 'layout.frame_rate': 0 }),
            ...(slow && { 'layout.frame_rate': 30 }),
        },
    }
    : {
        executablePath: '/usr/bin/chromium',
        args: ['--no-sandbox', '--window-size=1024,768',
            ...(unthrottled ? ['--disable-frame-rate-limit', '--disable-gpu-vsync'] : [])],
    };
const effectCheck = join(nativeBuild, 'tests/e2e/effect_check');
const picture = join(nativeBuild, 'run/rotoZoom.ppm');
const work = mkdtempSync(join(tmpdir(), 'tarnovex-web.'));
const MEASURE_SECONDS = 10;
const MOST_FRAMES_APART = 2;  // between the pictures and the music
const PART_ONE_FRAMES = 201;  // 3.35 s at 60 frames a second
const PART_TWO_HOLDS_SECONDS = 30;  // it ends at 36.7 s
const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const oneFile = process.env.TARNOVEX_ONE_FILE;
// Chromium's "Fast 3G" preset, as its developer tools define it.
const FAST_3G = { offline: false, latency: 562.5, downloadThroughput: 1.44e6 * 0.9 / 8,
    uploadThroughput: 675e3 * 0.9 / 8 };
const SLOW_FIRST_FRAME_MS = 2500;
const CONTROLS = ['Next effect', 'Scroll speed 0', 'Scroll speed 1', 'Scroll speed 2', 'Scroll speed 4',
    'Full screen', 'Stop'];

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
function fail(message) {
    throw new Error(message);
}
function note(message) {
    console.log(`-- ${message}`);
}
function check(ok, message) {
    if (!ok) fail(message);
}

// A static server on a free loopback port; resolves to its address.
function serve() {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', site], {
        stdio: ['ignore', 'pipe', 'ignore'],
    });
    return new Promise((resolve, reject) => {
        server.stdout.on('data', (data) => {
            const port = /port (\d+)/.exec(data.toString());
            if (port) resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
        });
        server.on('exit', () => reject(new Error('the web server did not start')));
    });
}

// The site as a web server sends it at best, gzipped, for the slow network:
// resolves to its address.
function serveGzipped() {
    const types = { '.html': 'text/html', '.wasm': 'application/wasm', '.png': 'image/png',
        '.webmanifest': 'application/manifest+json' };
    const server = createServer((request, response) => {
        const path = join(site, request.url === '/' ? 'index.html' : request.url.slice(1).split('?')[0]);
        if (!existsSync(path) || !types[extname(path)]) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { 'Content-Type': types[extname(path)], 'Content-Encoding': 'gzip' });
        response.end(gzipSync(readFileSync(path), { level: 9 }));
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
    });
}

// The canvas as a PPM file, for the native effect_check, the page's time
// when it was taken and the show's frames drawn by then (the canvas holds
// the last of them).
async function shot(page, name) {
    const { width, height, rgb, at, drawn } = await page.evaluate(() => {
        const canvas = document.getElementById('canvas');
        const at = performance.now();
        const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let binary = '';
        for (let i = 0; i < data.length; i += 4) binary += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
        return { width: canvas.width, height: canvas.height, rgb: btoa(binary), at, drawn: window.tarnovex.frames().drawn };
    });
    const file = join(work, `${name}.ppm`);
    writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), Buffer.from(rgb, 'base64')]));
    return { file, at, drawn };
}

async function effect(page) {
    const { file, at, drawn } = await shot(page, 'shot');
    return { seen: execFileSync(effectCheck, ['classify', file, picture]).toString().trim(), at, drawn };
}

// Resolves to the first look that sees the effect: the page's time and the
// show's frames drawn.
async function waitForEffect(page, wanted, seconds) {
    const end = Date.now() + seconds * 1000;
    let seen = 'nothing';
    while (Date.now() < end) {
        const now = await effect(page);
        if (now.seen === wanted) return now;
        seen = now.seen;
        await sleep(50);
    }
    fail(`expected ${wanted} on the canvas within ${seconds} s, saw ${seen}`);
}

// What the page reports: frames, sound, wake lock, at the page's time.
function report(page) {
    return page.evaluate(() => ({
        at: performance.now(),
        ...window.tarnovex.frames(),
        audio: window.tarnovex.audio(),
        wakeLock: window.tarnovex.wakeLock(),
    }));
}

async function expectBlack(page) {
    const brightest = await page.evaluate(() => {
        const canvas = document.getElementById('canvas');
        const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let most = 0;
        for (let i = 0; i < data.length; i += 4) most = Math.max(most, data[i], data[i + 1], data[i + 2]);
        return most;
    });
    check(brightest === 0, `after the fade the brightest channel is ${brightest}, not black`);
}

// A key held for exactly one frame of the show, as the intro reads the key
// held down at the end of every frame: pressed once a frame is drawn and
// released once the next one is, from inside the page, so that no delay of
// the browser's input can stretch the press.
async function tapKey(page, keyCode) {
    await page.evaluate((keyCode) => new Promise((resolve) => {
        const canvas = document.getElementById('canvas');
        const send = (type) => canvas.dispatchEvent(new KeyboardEvent(type, { keyCode, bubbles: true }));
        const { program } = window.tarnovex;
        const onFrame = program.onFrame;
        let drawn = 0;
        program.onFrame = (shown, wakeUp) => {
            drawn++;
            if (drawn === 1) send('keydown');
            if (drawn === 2) {
                send('keyup');
                program.onFrame = onFrame;
                resolve();
            }
            onFrame(shown, wakeUp);
        };
    }), keyCode);
}

// The page as if the viewer switched to another tab and back: the page is
// told it is hidden, while the browser goes on giving it animation frames.
function setHidden(page, hidden) {
    return page.evaluate((hidden) => {
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
        Object.defineProperty(document, 'visibilityState', { configurable: true,
            get: () => (hidden ? 'hidden' : 'visible') });
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
}

function median(values) {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.floor(sorted.length / 2)];
}

function waitForStart(page) {
    return page.waitForFunction(() => document.getElementById('status').textContent === 'Tap or click to start', {
        timeout: 20000,
    });
}

async function openPage(browser, url, viewport) {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    const lines = [];
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push(`page error: ${error.message}`));
    await page.goto(url);
    await waitForStart(page);
    return { page, lines };
}

function expectNoErrors(lines) {
    const errors = lines.filter((line) => /error|abort/i.test(line));
    check(!errors.length, `errors in the console: ${errors.join(' | ')}`);
}

// Part one's length by the show's own count: the last look that finds it
// on the canvas and the first that finds it gone hold its last frame
// between them. Its time, from the show's first frame to that first look,
// is noted (its pace is checked over a longer stretch below).
async function expectPartOneLength(page) {
    let look = await effect(page), last = look;
    while (look.seen === 'rotozoom') {
        last = look;
        look = await effect(page);
    }
    const { started } = await report(page);
    note(`part one on the canvas for frames 1 to ${last.drawn} at least, gone at frame ${look.drawn}, ` +
         `${((look.at - started) / 1000).toFixed(2)} s after the start`);
    check(last.drawn <= PART_ONE_FRAMES && look.drawn > PART_ONE_FRAMES,
        `part one was on the canvas at frame ${last.drawn} and gone at frame ${look.drawn}, not after frame ${PART_ONE_FRAMES}`);
    await waitForEffect(page, 'multiscroll', 3);
    note('part two follows by itself');
    return started;
}

// How far the picture on the canvas is ahead of the music heard (less the
// output latency the browser reports), in frames, looked at twice a second
// for `seconds`.
async function pictureToMusicOffsets(page, seconds) {
    const offsets = [];
    for (let look = 0; look < 2 * seconds; look++) {
        await sleep(500);
        const { shown, heard } = await page.evaluate(() => window.tarnovex.sync());
        if (heard !== null) offsets.push(shown - heard);
    }
    return offsets;
}

// Frames, frame work, sound and the pictures' sync with it over
// MEASURE_SECONDS of the show.
async function expectPace(page) {
    const before = await report(page);
    const offsets = await pictureToMusicOffsets(page, MEASURE_SECONDS);
    const after = await report(page);
    const recentWork = await page.evaluate((count) => window.tarnovex.work.slice(-count),
        after.drawn - before.drawn);
    const seconds = (after.at - before.at) / 1000;
    const fps = (after.drawn - before.drawn) / seconds;
    const paints = (after.animationFrames - before.animationFrames) / seconds;
    const played = after.audio.played - before.audio.played;
    const share = played / (after.audio.rate * seconds);
    const mean = recentWork.reduce((a, b) => a + b, 0) / recentWork.length;
    note(`${fps.toFixed(1)} show frames/s on ${paints.toFixed(0)} animation frames/s; main-thread work per ` +
         `frame: median ${median(recentWork).toFixed(3)} ms, mean ${mean.toFixed(3)} ms, ` +
         `slowest ${Math.max(...recentWork).toFixed(3)} ms`);
    note(`sound: context ${after.audio.state}, ${(100 * share).toFixed(1)} % of real time delivered, ` +
         `${after.audio.underruns - before.audio.underruns} underruns, peak ${after.audio.peak.toFixed(3)}`);
    check(fps >= 55 && fps <= 65, `${fps.toFixed(1)} frames/s, not 60`);
    check(after.audio.state === 'running', `the audio context is ${after.audio.state}`);
    check(share >= 0.95, 'less than 95 % of real time of samples delivered');
    check(after.audio.peak >= 0.05, 'the music is silent');
    // Between two animation frames the music runs on under the same picture,
    // so the typical offset is checked, and the range shown.
    check(offsets.length, 'no music heard to sync with');
    const offset = median(offsets);
    note(`pictures ahead of the music by ${offset.toFixed(2)} frames (from ${Math.min(...offsets).toFixed(2)} ` +
         `to ${Math.max(...offsets).toFixed(2)})`);
    check(Math.abs(offset) <= MOST_FRAMES_APART, `the pictures are ${offset.toFixed(2)} frames from the music`);
}

// Part two on the canvas at every look until PART_TWO_HOLDS_SECONDS after
// the start: a show that raced would have moved on, and come round again.
async function expectPartTwoHolds(page, started) {
    for (;;) {
        const { seen, at } = await effect(page);
        check(seen === 'multiscroll', `${((at - started) / 1000).toFixed(1)} s after the start: ${seen}, not part two`);
        if (at - started >= PART_TWO_HOLDS_SECONDS * 1000) break;
        await sleep(1000);
    }
    note(`part two held the canvas until ${PART_TWO_HOLDS_SECONDS} s after the start`);
}

// Hidden, the show and its music stop where they are; shown again, they go
// on from there together, at their pace, without an underrun. (The frames
// wait for the sound, which a browser may take a second or so to restart.)
async function expectPauseWhileHidden(page) {
    const before = await report(page);
    await setHidden(page, true);
    await sleep(300);
    const hidden = await report(page);
    await sleep(2000);
    const stillHidden = await report(page);
    check(stillHidden.drawn === hidden.drawn, `${stillHidden.drawn - hidden.drawn} frames drawn while hidden`);
    check(stillHidden.audio.state === 'suspended', `the sound is ${stillHidden.audio.state} while hidden`);
    check(stillHidden.audio.played === hidden.audio.played, 'the sound played on while hidden');
    await setHidden(page, false);
    await page.waitForFunction((drawn) => window.tarnovex.frames().drawn > drawn, { timeout: 5000 },
        stillHidden.drawn);
    const resumed = await report(page);
    await sleep(1000);
    const shown = await report(page);
    const seconds = (shown.at - resumed.at) / 1000;
    const frames = shown.drawn - resumed.drawn;
    // How far the music is ahead of the pictures, in seconds.
    const lead = (r) => r.audio.mixed / r.audio.rate - r.drawn / 60;
    note(`hidden for 2.3 s: no frames, sound ${stillHidden.audio.state}; shown again: going on after ` +
         `${((resumed.at - stillHidden.at) / 1000).toFixed(2)} s, then ${frames} frames in ${seconds.toFixed(2)} s, ` +
         `${shown.audio.underruns - before.audio.underruns} underruns, the music ` +
         `${(lead(shown) - lead(before)).toFixed(3)} s further ahead than before`);
    check(frames <= 65 * seconds && frames >= 50 * seconds, `${frames} frames in the ${seconds.toFixed(2)} s after`);
    check(shown.audio.state === 'running', `the sound is ${shown.audio.state} after the page is shown again`);
    check(shown.audio.underruns === before.audio.underruns, 'underruns across the pause');
    check(Math.abs(lead(shown) - lead(before)) < 0.15, 'the music and the pictures came apart');
    check((await effect(page)).seen === 'multiscroll', 'the show did not go on where it was');
}

async function expectWakeLock(page, wanted) {
    const { wakeLock } = await report(page);
    if (wakeLock === 'unavailable') return;
    check(wakeLock === wanted, `the screen wake lock is ${wakeLock}, not ${wanted}`);
}

async function desktop(browser, url) {
    const { page, lines } = await openPage(browser, url, { width: 1024, height: 768 });
    note('cover shown; clicking');
    await page.click('#cover');
    await waitForEffect(page, 'rotozoom', 5);
    const { clicked, firstFrame } = await page.evaluate(() => window.tarnovex.timings);
    note(`part one: roto-zoom; its first frame ${(firstFrame - clicked).toFixed(1)} ms after the click`);
    const started = await expectPartOneLength(page);
    await expectPace(page);
    await expectWakeLock(page, 'held');
    note(`screen wake lock: ${(await report(page)).wakeLock}`);

    const scrolled = lines.filter((line) => line.includes('TARNOVEX PRESENTS ITS FIRST INTRO FOR LINUX'));
    check(scrolled.length, `no scroll text in the console: ${JSON.stringify(lines.slice(-5))}`);
    note('scroll text in the console');

    await expectPartTwoHolds(page, started);
    await expectPauseWhileHidden(page);

    await tapKey(page, 32);
    await waitForEffect(page, 'plasma', 3);
    note('space: part three, the plasma');
    await tapKey(page, 32);
    await waitForEffect(page, 'rotozoom', 3);
    note('space: round again to part one');

    const lit = await shot(page, 'lit');
    await tapKey(page, 27);
    await page.waitForSelector('#again:not([hidden])', { timeout: 5000 });
    const dark = await shot(page, 'dark');
    execFileSync(effectCheck, ['darker', lit.file, dark.file]);
    await expectBlack(page);
    await expectWakeLock(page, 'free');
    note(`Escape: faded to black, "play again" offered; wake lock: ${(await report(page)).wakeLock}`);

    await page.click('#replay');
    await waitForEffect(page, 'rotozoom', 5);
    note('played again');
    expectNoErrors(lines);
    await page.close();
}

// The centre of the visible button named `name` (its aria-label or text),
// and its size.
function button(page, name) {
    return page.evaluate((name) => {
        const found = [...document.querySelectorAll('button')].find((b) =>
            (b.getAttribute('aria-label') || b.textContent.trim()) === name);
        if (!found || getComputedStyle(found).visibility !== 'visible') return null;
        const box = found.getBoundingClientRect();
        return { x: box.x + box.width / 2, y: box.y + box.height / 2, width: box.width, height: box.height };
    }, name);
}

function pictureBox(page) {
    return page.evaluate(() => {
        const { width, height } = document.getElementById('canvas').getBoundingClientRect();
        return { width, height };
    });
}

async function tapButton(page, name) {
    const found = await button(page, name);
    check(found, `no button "${name}" shown`);
    await page.touchscreen.tap(found.x, found.y);
}

async function phone(browser, url) {
    const { page, lines } = await openPage(browser, url, PHONE);
    await page.touchscreen.tap(195, 422);
    await waitForEffect(page, 'rotozoom', 5);
    const { started } = await report(page);
    const portrait = await pictureBox(page);
    note(`phone: tapped to start; the picture is ${portrait.width.toFixed(1)} px wide on a 390 px screen`);
    check(Math.abs(portrait.width - 390) < 1, 'the picture does not fill the width');

    await page.touchscreen.tap(195, 300);
    await page.waitForSelector('#controls.shown', { timeout: 2000 });
    for (const name of CONTROLS) {
        const found = await button(page, name);
        check(found, `no "${name}" among the controls`);
        check(found.width >= 44 && found.height >= 44, `"${name}" is ${found.width} x ${found.height} px`);
    }
    note(`a tap brings up the controls: ${CONTROLS.join(', ')}, each at least 44 px`);

    await tapButton(page, 'Next effect');
    const tappedAt = Date.now();
    const partTwo = await waitForEffect(page, 'multiscroll', 3);
    note(`"Next effect": part two at frame ${partTwo.drawn}, ${((partTwo.at - started) / 1000).toFixed(2)} s after the start`);
    check(partTwo.drawn <= PART_ONE_FRAMES, 'part two came no sooner than by itself');

    await page.waitForSelector('#controls:not(.shown)', { timeout: 6000 });
    const shownFor = (Date.now() - tappedAt) / 1000;
    note(`the controls went ${shownFor.toFixed(1)} s after the last tap`);
    check(shownFor >= 2.5, 'the controls went too soon');

    await page.setViewport({ ...PHONE, width: PHONE.height, height: PHONE.width });
    const landscape = await pictureBox(page);
    note(`turned to landscape: the picture is ${landscape.height.toFixed(1)} px high on a 390 px screen`);
    check(Math.abs(landscape.height - 390) < 1, 'the picture does not fill the height');

    await page.touchscreen.tap(195, 300);
    await page.waitForSelector('#controls.shown', { timeout: 2000 });
    await tapButton(page, 'Stop');
    await page.waitForSelector('#again:not([hidden])', { timeout: 5000 });
    await expectBlack(page);
    note('"Stop": faded to black, "play again" offered');
    expectNoErrors(lines);
    await page.close();
}

// Requests other than data: URLs (the AudioWorklet comes as one).
function countRequests(page) {
    const urls = [];
    page.on('request', (request) => {
        if (!request.url().startsWith('data:')) urls.push(request.url());
    });
    return urls;
}

// The site over "Fast 3G": index.html and the program, then the first frame
// within SLOW_FIRST_FRAME_MS of navigation, the click included.
async function slowNetwork(browser) {
    const { server, url } = await serveGzipped();
    const page = await browser.newPage();
    const requests = countRequests(page);
    const network = await page.createCDPSession();
    await network.send('Network.enable');
    await network.send('Network.setCacheDisabled', { cacheDisabled: true });
    await network.send('Network.emulateNetworkConditions', FAST_3G);
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    await waitForStart(page);
    await page.click('#cover');
    await page.waitForFunction(() => window.tarnovex.timings.firstFrame !== null, { timeout: 10000 });
    const { firstFrame } = await page.evaluate(() => window.tarnovex.timings);
    // The favicon, the manifest and its icon, which the browser fetches for itself, keep nothing waiting.
    const pages = requests.filter((request) => !/\/(tarnovex-(16|256)\.png|manifest\.webmanifest)$/.test(request));
    note(`Fast 3G: ${pages.length} requests of the page (${requests.length} in all), the first frame ` +
        `${firstFrame.toFixed(0)} ms after navigation`);
    check(pages.length <= 2, `Fast 3G: ${pages.length} requests before the show: ${pages.join(' ')}`);
    check(firstFrame <= SLOW_FIRST_FRAME_MS, `Fast 3G: the first frame came ${firstFrame.toFixed(0)} ms after navigation`);
    await waitForEffect(page, 'rotozoom', 5);
    await page.close();
    server.close();
}

// The one file as most static web hosts send an .html file: gzipped and
// declared UTF-8, a charset that wins over the page's own; resolves to its
// address.
function serveOneFileAsUtf8() {
    const server = createServer((request, response) => {
        response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8', 'Content-Encoding': 'gzip' });
        response.end(gzipSync(readFileSync(oneFile), { level: 9 }));
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
    });
}

// The one-file edition at `address`: no other request, the show, the music.
async function playOneFile(browser, address, from) {
    const page = await browser.newPage();
    const requests = countRequests(page);
    await page.goto(address);
    await waitForStart(page);
    await page.click('#cover');
    await waitForEffect(page, 'rotozoom', 5);
    await sleep(2000);
    const { audio } = await report(page);
    const others = requests.filter((other) => other !== address);
    note(`one file ${from}: ${others.length} other requests, sound ${audio.state}, peak ${audio.peak.toFixed(3)}`);
    check(!others.length, `the one file made other requests: ${others.join(' ')}`);
    check(audio.state === 'running' && audio.peak >= 0.05, `the one file plays no music ${from}`);
    await page.close();
}

async function playOneFileEverywhere(browser) {
    await playOneFile(browser, pathToFileURL(oneFile).href, 'from file://');
    const { server, url } = await serveOneFileAsUtf8();
    try {
        await playOneFile(browser, url, 'served as text/html; charset=utf-8');
    } finally {
        server.close();
    }
}

const { server, url } = await serve();
try {
    const browser = await puppeteer.launch({ headless: true, ...LAUNCH });
    try {
        note(`${firefox ? 'Firefox' : 'Chromium'} ${await browser.version()}` +
             `${unthrottled ? ', animation frames unthrottled' : ''}${slow ? ', 30 animation frames a second' : ''}`);
        await desktop(browser, url);
        await phone(browser, url);
        if (!firefox) await slowNetwork(browser);
        if (oneFile) await playOneFileEverywhere(browser);
    } finally {
        await browser.close();
    }
    note('passed');
} catch (error) {
    console.error(`FAIL: ${error.message}`);
    process.exitCode = 1;
} finally {
    server.kill();
    rmSync(work, { recursive: true, force: true });
}
