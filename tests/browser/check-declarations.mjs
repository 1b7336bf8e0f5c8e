// The element's TypeScript declarations against the demo page's script: tsc --noEmit --strict
// with the script checked as JavaScript, so a declaration that does not fit how a page uses
// the element fails here.
// usage: node check-declarations.mjs DECLARATIONS DEMO_PAGE
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [declarations, demoPage] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const tsc = path.join(here, 'node_modules/typescript/bin/tsc');
if (!fs.existsSync(tsc)) {
  console.log('typescript is not installed here: run npm ci in tests/browser (./run test does)');
  process.exit(77);
}
const scripts = [...fs.readFileSync(demoPage, 'utf8').matchAll(/<script type="module">([\s\S]*?)<\/script>/g)];
if (scripts.length !== 1) {
  console.log(`expected one inline module script in ${demoPage}, found ${scripts.length}`);
  process.exit(1);
}
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velkan-tsc-'));
let status = 0;
try {
  fs.copyFileSync(declarations, path.join(dir, 'velkanfilesearch.d.ts'));
  fs.writeFileSync(path.join(dir, 'demo.js'), scripts[0][1]);
  console.log(execFileSync(process.execPath, [tsc, '--version'], { encoding: 'utf8' }).trim());
  execFileSync(process.execPath, [tsc, '--noEmit', '--strict', '--allowJs', '--checkJs', '--target', 'es2022',
    '--module', 'esnext', '--moduleDetection', 'force', '--lib', 'es2022,dom,dom.iterable',
    'velkanfilesearch.d.ts', 'demo.js'], { cwd: dir, stdio: 'inherit' });
  console.log('the declarations fit the demo page\'s script');
} catch (error) {
  status = 1;
} finally {
  fs.rmSync(dir, { recursive: true, force: true });
}
process.exit(status);
