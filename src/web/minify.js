// Minifies the page's scripts with terser: node minify.js IN... OUT, the
// inputs in order into one script. Only names inside functions are
// shortened: the page's scripts call one another's top-level functions.
'use strict';
const fs = require('fs');
const terser = require('terser');

const inputs = process.argv.slice(2, -1);
const output = process.argv[process.argv.length - 1];
const sources = Object.fromEntries(inputs.map((input) => [input, fs.readFileSync(input, 'utf8')]));
terser.minify(sources, { ecma: 2020, compress: { passes: 2 }, mangle: true })
    .then((result) => fs.writeFileSync(output, result.code))
    .catch((error) => {
        console.error(`${inputs.join(' ')}: ${error.message}`);
        process.exit(1);
    });
