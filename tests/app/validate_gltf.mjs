// Checks .gltf and .glb files with the reference glTF validator, with the files they
// reference: prints every issue, and exits with status 1 when a file has an error, or a
// warning when it comes after --no-warnings.
//
//   node validate_gltf.mjs FILE... [--no-warnings FILE...]
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import validator from 'gltf-validator';

const severities = ['error', 'warning', 'info', 'hint'];

let noWarnings = false;
let failed = process.argv.length <= 2;
for (const file of process.argv.slice(2)) {
    if (file === '--no-warnings') {
        noWarnings = true;
        continue;
    }
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
