// Checks that the program's WebAssembly imports exactly what the page's
// glue gives it, and names each import that one side lacks: the program is
// linked with undefined symbols allowed (the glue gives them), so a missing
// one would otherwise fail only when a visitor loads the page.
//   node check_imports.js PROGRAM_JS WASM...
'use strict';
const fs = require('fs');
const vm = require('vm');

const [programJs, ...programs] = process.argv.slice(2);

// What createTarnovex hands to WebAssembly.instantiate, caught before it runs.
function givenImports() {
    let given = null;
    const context = {
        WebAssembly: {
            instantiate: (bytes, imports) => {
                given = imports;
                return new Promise(() => {});
            },
        },
    };
    vm.runInNewContext(`${fs.readFileSync(programJs, 'utf8')}\ncreateTarnovex({});`, context);
    const names = new Set();
    for (const [module, fields] of Object.entries(given)) {
        for (const field of Object.keys(fields)) names.add(`${module}.${field}`);
    }
    return names;
}

const given = givenImports();
let mismatches = 0;
for (const program of programs) {
    const module = new WebAssembly.Module(fs.readFileSync(program));
    const wanted = new Set(WebAssembly.Module.imports(module).map((entry) => `${entry.module}.${entry.name}`));
    for (const name of wanted) {
        if (given.has(name)) continue;
        console.error(`${program} imports ${name}, which ${programJs} does not give`);
        mismatches++;
    }
    for (const name of given) {
        if (wanted.has(name)) continue;
        console.error(`${programJs} gives ${name}, which ${program} does not import`);
        mismatches++;
    }
}
process.exitCode = mismatches ? 1 : 0;
