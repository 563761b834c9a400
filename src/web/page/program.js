// The program's side in the page: createTarnovex(host) instantiates the
// WebAssembly with what it asks of the page and runs main, with ASYNCIFY's
// unwinding and rewinding around its waits (a frame shown, the start of a
// show, a pause that gives the page its turn). `host` is the page's:
// wasmBinary, print, printErr, keyCode, audio, onFrame(imageData, wakeUp),
// onIdle(wakeUp) and onFail(message). A wake-up called at once, within
// onFrame or onIdle, lets the program go on without waiting. A wait reached
// where ASYNCIFY cannot unwind (a function on the way to it left off
// src/web/asyncify_only.json), like any abort, stops the program and is
// reported through onFail.
'use strict';

function createTarnovex(host) {
    const SLEEP_BYTES = 65536;  // where ASYNCIFY keeps the call stack of a wait
    const PAGE_BYTES = 65536;
    let memory = null;
    let exports = null;
    let sleepData = 0;
    let state = 'running';  // or 'unwinding', 'sleeping', 'rewinding', 'failed'

    // main returns when it has unwound to wait, or when it has ended. A
    // rewind that main finished without reaching its wait went through a
    // function ASYNCIFY does not know; so, most often, did a run that trapped.
    function run() {
        try {
            exports.main(0, 0);
        } catch (error) {
            if (state !== 'failed') fail(`while ${state}: ${error.message}`);
            throw error;
        }
        if (state === 'rewinding') fail('the wait was not reached again: a function on its way is off the ASYNCIFY list');
        if (state !== 'unwinding') return;
        exports.asyncify_stop_unwind();
        state = 'sleeping';
    }

    // Called from an import: the program waits until `begin` wakes it up.
    // When it is woken again (rewinding), the import returns. A wait entered
    // while unwinding was reached again by a caller that went on instead of
    // unwinding: one off the ASYNCIFY list.
    function sleep(begin) {
        if (state === 'rewinding') {
            exports.asyncify_stop_rewind();
            state = 'running';
            return;
        }
        if (state !== 'running') fail(`a wait while ${state}: a function on its way is off the ASYNCIFY list`);
        let unwound = false;
        let wokenAtOnce = false;
        begin(() => {
            if (!unwound) {
                wokenAtOnce = true;
                return;
            }
            if (state === 'failed') return;
            if (state !== 'sleeping') fail(`woken while ${state}`);
            state = 'rewinding';
            exports.asyncify_start_rewind(sleepData);
            run();
        });
        if (wokenAtOnce) return;
        unwound = true;
        new Int32Array(memory.buffer, sleepData, 2).set([sleepData + 8, sleepData + SLEEP_BYTES]);
        state = 'unwinding';
        exports.asyncify_start_unwind(sleepData);
    }

    // Standard output and error, a line at a time.
    const pending = { 1: [], 2: [] };
    function write(fd, bytes) {
        for (const byte of bytes) {
            if (byte !== 10) {
                pending[fd].push(byte);
                continue;
            }
            (fd === 1 ? host.print : host.printErr)(new TextDecoder().decode(new Uint8Array(pending[fd])));
            pending[fd] = [];
        }
    }

    // Stops the program for good: the exception leaves the WebAssembly, and
    // nothing wakes it again.
    function fail(what) {
        const message = `TARNOVEX: abort (${what})`;
        if (state !== 'failed') host.onFail(message);
        state = 'failed';
        throw new Error(message);
    }

    const env = {
        web_show_frame: (rgba, width, height) => sleep((wakeUp) => host.onFrame(
            new ImageData(new Uint8ClampedArray(memory.buffer, rgba, width * height * 4), width), wakeUp)),
        web_wait_for_start: () => sleep((wakeUp) => host.onIdle(wakeUp)),
        web_pause: () => sleep((wakeUp) => setTimeout(wakeUp, 0)),
        web_key_code: () => host.keyCode,
        web_audio_rate: () => host.audio.rate,
        web_audio_wanted: () => host.audio.wanted(),
        web_audio_send: (samples, count) => host.audio.send(new Int16Array(memory.buffer, samples, 2 * count)),
        web_audio_stop: () => host.audio.stop(),
        emscripten_resize_heap: (wanted) => {
            try {
                memory.grow(Math.ceil((wanted - memory.buffer.byteLength) / PAGE_BYTES));
                return 1;
            } catch (error) {
                return 0;
            }
        },
        __syscall_ioctl: () => 0,  // standard output is a terminal: line-buffered
        setTempRet0: () => {},
        abort: () => fail('abort'),
        __cxa_allocate_exception: () => fail('exception'),
        __cxa_throw: () => fail('exception'),
    };
    const wasi = {
        fd_write: (fd, vectors, count, written) => {
            const view = new DataView(memory.buffer);
            let total = 0;
            for (let i = 0; i < count; i++) {
                const start = view.getUint32(vectors + 8 * i, true);
                const length = view.getUint32(vectors + 8 * i + 4, true);
                write(fd, new Uint8Array(memory.buffer, start, length));
                total += length;
            }
            view.setUint32(written, total, true);
            return 0;
        },
        environ_sizes_get: (count, size) => {
            new DataView(memory.buffer).setUint32(count, 0, true);
            new DataView(memory.buffer).setUint32(size, 0, true);
            return 0;
        },
        environ_get: () => 0,
    };

    return WebAssembly.instantiate(host.wasmBinary, { env, wasi_snapshot_preview1: wasi }).then(({ instance }) => {
        exports = instance.exports;
        memory = exports.memory;
        exports.__wasm_call_ctors();
        sleepData = exports.malloc(SLEEP_BYTES);
        run();
    });
}
