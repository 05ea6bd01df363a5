// The page at / in headless Chromium (Debian's, driven by playwright-core):
// typing a code updates the preview, whose picture decodes to it, and the
// download button gives the file the URL shown names.
//   node page_test.mjs LUMTAR NODE_DIR
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";

const [lumtar, nodeDir] = process.argv.slice(2);
const { chromium } = createRequire(join(nodeDir, "package.json"))("playwright-core");
const scratch = mkdtempSync(join(tmpdir(), "lumtar-page-"));
let passed = 0, failed = 0;
const check = (name, ok, detail = "") => {
  ok ? passed++ : failed++;
  console.log((ok ? "ok   " : "FAIL ") + name + (ok ? "" : "  " + detail));
};
const zbar = (path) => {
  try { return execFileSync("zbarimg", ["-q", path], { encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] }).trim(); } catch { return ""; }
};

const server = spawn(lumtar, ["serve", "--listen", "127.0.0.1:0", "--quiet"], { stdio: ["ignore", "ignore", "pipe"] });
const port = await new Promise((resolve, reject) => {
  server.stderr.on("data", (d) => { const m = /:(\d+)\//.exec(String(d)); if (m) resolve(m[1]); });
  server.on("exit", () => reject(new Error("lumtar serve did not start")));
});
const base = `http://127.0.0.1:${port}`;

const context = await chromium.launchPersistentContext(join(scratch, "profile"), {
  executablePath: "/usr/bin/chromium",
  headless: true,
  acceptDownloads: true,
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
try {
  const page = context.pages()[0] || await context.newPage();
  await page.goto(base + "/");
  await page.waitForFunction(() => document.getElementById("drawn").textContent.includes("ean13"));

  // Typing: every key asks for a new preview; the last one stands.
  await page.fill("#text", "");
  await page.type("#text", "96385074", { delay: 30 });
  await page.waitForFunction(() => document.getElementById("drawn").textContent === "Drawn as ean8");
  await page.waitForFunction(() => document.getElementById("preview").complete);
  const shot = join(scratch, "preview.png");
  await page.locator("#preview").screenshot({ path: shot });
  check("preview decodes to the typed code", zbar(shot) === "EAN-8:96385074", zbar(shot));

  // A text that fits no type: the reason instead of a picture.
  await page.fill("#text", "96385075");
  await page.waitForFunction(() => document.getElementById("message").textContent.includes("check digit"));
  check("reason shown for a wrong check digit", true);

  // The add-on field and the download, as PNG.
  await page.fill("#text", "9780306406157");
  await page.fill("#addon", "12");
  await page.selectOption("#format", "png");
  await page.waitForFunction(() => document.getElementById("drawn").textContent === "Drawn as ean13+ean2");
  const url = await page.inputValue("#url");
  check("URL to copy names the picture", url.startsWith(base + "/render?") && url.includes("format=png"), url);
  const [download] = await Promise.all([page.waitForEvent("download"), page.click("#download button")]);
  const file = join(scratch, "download.png");
  await download.saveAs(file);
  const direct = Buffer.from(await (await fetch(url)).arrayBuffer());
  check("download gives the picture of the URL", readFileSync(file).equals(direct) &&
        download.suggestedFilename() === "barcode.png", download.suggestedFilename());
  check("downloaded picture decodes", zbar(file) === "EAN-13:9780306406157", zbar(file));
} finally {
  await context.close();
  server.kill("SIGTERM");
  rmSync(scratch, { recursive: true, force: true });
}
console.log(`page: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
