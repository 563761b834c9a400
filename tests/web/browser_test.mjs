// The web edition as a visitor meets it, in Debian's Chromium, headless:
// the page is served, clicked to start, and shows the three effects in
// order (space moves on), the scroll text in the console, the music running,
// and after Escape a fade to black and an offer to play again, which plays.
// Over an emulated slow mobile network ("Fast 3G", no cache) the page needs
// two requests and shows the show's first frame soon after navigation; the
// one-file edition (TARNOVEX_ONE_FILE) plays from file:// with no other
// request and with its music.
//
//   node browser_test.mjs SITE_DIR NATIVE_BUILD_DIR [firefox]
// Prints the frame rate, the main thread's work per frame and the sound
// output it measured. With "firefox", Debian's firefox-esr plays the page;
// its sound needs a sound server (PulseAudio, with a null sink will do).
import { spawn, execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [site, nativeBuild, browserName] = process.argv.slice(2);
const LAUNCH = browserName === 'firefox'
    ? { browser: 'firefox', executablePath: '/usr/bin/firefox-esr' }
    : { executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--window-size=1024,768'] };
const effectCheck = join(nativeBuild, 'tests/e2e/effect_check');
const picture = join(nativeBuild, 'run/rotoZoom.ppm');
const work = mkdtempSync(join(tmpdir(), 'tarnovex-web.'));
const MEASURE_SECONDS = 10;
const oneFile = process.env.TARNOVEX_ONE_FILE;
// Chromium's "Fast 3G" preset, as its developer tools define it.
const FAST_3G = { offline: false, latency: 562.5, downloadThroughput: 1.44e6 * 0.9 / 8,
    uploadThroughput: 675e3 * 0.9 / 8 };
const SLOW_FIRST_FRAME_MS = 2500;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
function fail(message) {
    throw new Error(message);
}
function note(message) {
    console.log(`-- ${message}`);
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
    const types = { '.html': 'text/html', '.wasm': 'application/wasm' };
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

// The canvas as a PPM file, for the native effect_check.
async function shot(page, name) {
    const { width, height, rgba } = await page.evaluate(() => {
        const canvas = document.getElementById('canvas');
        const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let binary = '';
        for (let i = 0; i < data.length; i += 4) binary += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
        return { width: canvas.width, height: canvas.height, rgba: btoa(binary) };
    });
    const file = join(work, `${name}.ppm`);
    writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), Buffer.from(rgba, 'base64')]));
    return file;
}

async function effect(page) {
    return execFileSync(effectCheck, ['classify', await shot(page, 'shot'), picture]).toString().trim();
}

async function waitForEffect(page, wanted, seconds) {
    const end = Date.now() + seconds * 1000;
    let seen = 'nothing';
    while (Date.now() < end) {
        seen = await effect(page);
        if (seen === wanted) return;
        await sleep(100);
    }
    fail(`expected ${wanted} on the canvas within ${seconds} s, saw ${seen}`);
}

// A key held for exactly one frame of the show, as the intro reads the key
// held down on every frame: pressed in the animation frame after one of the
// show's frames and released in the next, both from inside the page so that
// no delay of the browser's input can stretch the press.
async function tap(page, keyCode) {
    await page.evaluate((keyCode) => new Promise((resolve) => {
        const canvas = document.getElementById('canvas');
        const send = (type) => canvas.dispatchEvent(new KeyboardEvent(type, { keyCode, bubbles: true }));
        requestAnimationFrame(() => {
            send('keydown');
            requestAnimationFrame(() => {
                send('keyup');
                resolve();
            });
        });
    }), keyCode);
}

function median(values) {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.floor(sorted.length / 2)];
}

// Frames, frame work and sound over MEASURE_SECONDS of the show.
async function measure(page) {
    const before = await page.evaluate(() => ({ audio: window.tarnovex.audio(), at: performance.now() }));
    await sleep(MEASURE_SECONDS * 1000);
    return page.evaluate((before) => {
        const now = performance.now();
        const { times, work } = window.tarnovex.frames;
        const recent = times.map((time, i) => [time, work[i]]).filter(([time]) => time > before.at);
        const audio = window.tarnovex.audio();
        return {
            seconds: (now - before.at) / 1000,
            frames: recent.length,
            work: recent.map(([, ms]) => ms),
            state: audio.state,
            rate: audio.rate,
            played: audio.played - before.audio.played,
            underruns: audio.underruns - before.audio.underruns,
            peak: audio.peak,
        };
    }, before);
}

async function clickToStart(page, timeout = 20000) {
    await page.waitForFunction(() => document.getElementById('status').textContent === 'Click to start', { timeout });
    await page.click('#cover');
}

// Requests other than data: URLs (the AudioWorklet comes as one).
function countRequests(page) {
    const urls = [];
    page.on('request', (request) => {
        if (!request.url().startsWith('data:')) urls.push(request.url());
    });
    return urls;
}

// The site, gzipped, over "Fast 3G": index.html and the program, then the
// first frame within SLOW_FIRST_FRAME_MS of navigation, the click included.
async function slowNetwork(browser) {
    const { server, url } = await serveGzipped();
    const page = await browser.newPage();
    const requests = countRequests(page);
    const network = await page.createCDPSession();
    await network.send('Network.enable');
    await network.send('Network.setCacheDisabled', { cacheDisabled: true });
    await network.send('Network.emulateNetworkConditions', FAST_3G);
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    await clickToStart(page);
    await page.waitForFunction(() => window.tarnovex.timings.firstFrame !== null, { timeout: 10000 });
    const { firstFrame } = await page.evaluate(() => window.tarnovex.timings);
    note(`Fast 3G: ${requests.length} requests, first frame ${firstFrame.toFixed(0)} ms after navigation`);
    if (requests.length > 2) fail(`Fast 3G: ${requests.length} requests before the show: ${requests.join(' ')}`);
    if (firstFrame > SLOW_FIRST_FRAME_MS) fail(`Fast 3G: the first frame came ${firstFrame.toFixed(0)} ms after navigation`);
    await waitForEffect(page, 'rotozoom', 5);
    await page.close();
    server.close();
}

// The one-file edition from file://: no other request, the show, the music.
async function playOneFile(browser) {
    const page = await browser.newPage();
    const address = pathToFileURL(oneFile).href;
    const requests = countRequests(page);
    await page.goto(address);
    await clickToStart(page);
    await waitForEffect(page, 'rotozoom', 5);
    await sleep(2000);
    const audio = await page.evaluate(() => window.tarnovex.audio());
    const others = requests.filter((url) => url !== address);
    note(`one file from file://: ${others.length} other requests, sound ${audio.state}, peak ${audio.peak.toFixed(3)}`);
    if (others.length) fail(`the one file made other requests: ${others.join(' ')}`);
    if (audio.state !== 'running' || audio.peak < 0.05) fail('the one file plays no music');
    await page.close();
}

async function run(url) {
    const browser = await puppeteer.launch({ headless: true, ...LAUNCH });
    try {
        const page = await browser.newPage();
        await page.setViewport({ width: 1024, height: 768 });
        const console = [];
        page.on('console', (message) => console.push(message.text()));
        page.on('pageerror', (error) => console.push(`page error: ${error.message}`));

        await page.goto(url);
        note('starting');
        await clickToStart(page);
        await waitForEffect(page, 'rotozoom', 5);
        const { clicked, firstFrame } = await page.evaluate(() => window.tarnovex.timings);
        note(`part one: roto-zoom; first frame ${(firstFrame - clicked).toFixed(1)} ms after the click`);
        await waitForEffect(page, 'multiscroll', 8);
        note('part two follows by itself: raster bars through the scroller');

        const m = await measure(page);
        const fps = m.frames / m.seconds;
        const share = m.played / (m.rate * m.seconds);
        note(`${fps.toFixed(1)} frames/s; main-thread work per frame: median ${median(m.work).toFixed(3)} ms, ` +
             `slowest ${Math.max(...m.work).toFixed(3)} ms`);
        note(`sound: context ${m.state}, ${(100 * share).toFixed(1)} % of real time delivered, ` +
             `${m.underruns} underruns, peak ${m.peak.toFixed(3)}`);
        if (fps < 50 || fps > 70) fail(`${fps.toFixed(1)} frames/s, not paced by the 60 Hz display`);
        if (m.state !== 'running') fail(`the audio context is ${m.state}`);
        if (share < 0.95) fail('less than 95 % of real time of samples delivered');
        if (m.peak < 0.05) fail('the music is silent');

        const scrolled = console.filter((line) => line.includes('TARNOVEX PRESENTS ITS FIRST INTRO FOR LINUX'));
        if (!scrolled.length) fail(`no scroll text in the console: ${JSON.stringify(console.slice(-5))}`);
        note('scroll text in the console');

        await tap(page, 32);
        await waitForEffect(page, 'plasma', 3);
        note('space: part three, the plasma');
        await tap(page, 32);
        await waitForEffect(page, 'rotozoom', 3);
        note('space: round again to part one');

        const lit = await shot(page, 'lit');
        await tap(page, 27);
        await page.waitForSelector('#again:not([hidden])', { timeout: 5000 });
        const dark = await shot(page, 'dark');
        execFileSync(effectCheck, ['darker', lit, dark]);
        const brightest = await page.evaluate(() => {
            const canvas = document.getElementById('canvas');
            const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
            let most = 0;
            for (let i = 0; i < data.length; i += 4) most = Math.max(most, data[i], data[i + 1], data[i + 2]);
            return most;
        });
        if (brightest > 0) fail(`after the fade the brightest channel is ${brightest}, not black`);
        note('Escape: faded to black, "play again" offered');

        await page.click('#replay');
        await waitForEffect(page, 'rotozoom', 5);
        note('played again');

        const errors = console.filter((line) => /error|abort/i.test(line));
        if (errors.length) fail(`errors in the console: ${errors.join(' | ')}`);

        if (!browserName) await slowNetwork(browser);
        if (oneFile) await playOneFile(browser);
    } finally {
        await browser.close();
    }
}

const { server, url } = await serve();
try {
    await run(url);
    note('passed');
} catch (error) {
    console.error(`FAIL: ${error.message}`);
    process.exitCode = 1;
} finally {
    server.kill();
    rmSync(work, { recursive: true, force: true });
}
