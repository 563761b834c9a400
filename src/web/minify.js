// Minifies one of the page's scripts with terser: node minify.js IN OUT.
// Only names inside functions are shortened: the page's scripts call one
// another's top-level functions.
'use strict';
const fs = require('fs');
const terser = require('terser');

const [input, output] = process.argv.slice(2);
terser.minify(fs.readFileSync(input, 'utf8'), { ecma: 2020, compress: { passes: 2 }, mangle: true })
    .then((result) => fs.writeFileSync(output, result.code))
    .catch((error) => {
        console.error(`${input}: ${error.message}`);
        process.exit(1);
    });
