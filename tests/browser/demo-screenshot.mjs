// The bridge's demo page in a headless Chromium, written as a picture once its search has
// listed rows. For ./run web-demo on a machine without a display.
// usage: node demo-screenshot.mjs PAGE_URL CHROMIUM OUTPUT.png
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [url, chromiumPath, output] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
if (!fs.existsSync(path.join(here, 'node_modules/playwright-core'))) {
  console.error('playwright-core is not installed: run npm ci in tests/browser');
  process.exit(1);
}
const { chromium } = await import('playwright-core');
const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox', '--disable-gpu'] });
try {
  const page = await browser.newPage({ viewport: { width: 1000, height: 900 } });
  await page.goto(url);
  const panel = page.locator('velkan-file-search');
  // Rows drawn, and the search over or a minute gone, whichever comes first.
  await page.waitForFunction(() => document.querySelector('velkan-file-search')?.rowCount > 0, null, { timeout: 60000 });
  await panel.evaluate((e) => new Promise((resolve) => {
    e.addEventListener('searchidle', resolve, { once: true });
    setTimeout(resolve, 60000);
  }));
  await panel.locator('[role=row][aria-rowindex="2"]').waitFor({ timeout: 10000 });
  await page.screenshot({ path: output, fullPage: true });
  console.log(`${await panel.evaluate((e) => e.rowCount)} rows`);
} finally {
  await browser.close();
}
