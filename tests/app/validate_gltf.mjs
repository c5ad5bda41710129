// Checks .gltf and .glb files with the reference glTF validator, with the files they
// reference: prints every issue, and exits with status 1 when a file has an error (with
// --no-warnings also a warning).
//
//   node validate_gltf.mjs [--no-warnings] FILE...
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import validator from 'gltf-validator';

const args = process.argv.slice(2);
const noWarnings = args[0] === '--no-warnings';
const files = noWarnings ? args.slice(1) : args;
const severities = ['error', 'warning', 'info', 'hint'];

let failed = files.length === 0;
for (const file of files) {
    const report = await validator.validateBytes(new Uint8Array(await readFile(file)), {
        uri: file,
        maxIssues: 0,
        writeTimestamp: false,
        externalResourceFunction: async (uri) =>
            new Uint8Array(await readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)))),
    });
    const { numErrors, numWarnings, numInfos, messages } = report.issues;
    console.log(`${file}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos`);
    for (const message of messages) {
        console.log(`  ${severities[message.severity]} ${message.code} ${message.pointer ?? ''}: ${message.message}`);
    }
    if (numErrors > 0 || (noWarnings && numWarnings > 0)) {
        failed = true;
    }
}
process.exit(failed ? 1 : 0);
