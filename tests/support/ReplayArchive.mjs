// Replays a page of a WACZ package in ReplayWeb.page, as an archivist would open it, in Debian's
// headless Chromium: ReplayWeb.page (with the Flash player it injects into Flash pages) and the
// package are served from loopback, and the browser is driven through its debugging pipe.
// Waits until the archived page's text shows and its movies play, then a few seconds more for
// what they load, writes a screenshot and prints one JSON line: the texts of the page's frames
// and how many movies play. REPLAY_DEBUG=1 shows the requests served and the pages' console.
//
// node ReplayArchive.mjs PACKAGE PAGE-URL TEXT MOVIES SCREENSHOT.png
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const [waczPath, pageUrl, expectedText, expectedMovies, screenshotPath] = process.argv.slice(2);
const modules = path.join(path.dirname(fileURLToPath(import.meta.url)), "../../node_modules");
const settleMs = 3000;
const deadline = Date.now() + 90000;

const files = {
  "/ui.js": path.join(modules, "replaywebpage/ui.js"),
  "/replay/sw.js": path.join(modules, "replaywebpage/sw.js"),
  "/archive.wacz": waczPath,
};
const embed = `<!doctype html><html><body style="margin:0">
<script src="/ui.js"></script>
<replay-web-page style="width:1000px;height:760px;display:block" source="/archive.wacz"
  url="${pageUrl}" embed="replayonly" useRuffle></replay-web-page></body></html>`;

function fileFor(urlPath) {
  if (urlPath.includes("/ruffle/")) {
    const name = path.basename(urlPath);
    return path.join(modules, "@ruffle-rs/ruffle", name);
  }
  return files[urlPath];
}

// Serves the files, with byte ranges: the replay reads the package by its offsets. The Flash
// player ReplayWeb.page injects is the one the program uses.
const server = http.createServer((req, res) => {
  const urlPath = new URL(req.url, "http://x").pathname;
  if (process.env.REPLAY_DEBUG) console.error(req.method, req.url, req.headers.range || "");
  if (urlPath === "/" || urlPath === "/index.html") {
    res.writeHead(200, { "Content-Type": "text/html" });
    res.end(embed);
    return;
  }
  const file = fileFor(urlPath);
  if (!file || !fs.existsSync(file)) {
    res.writeHead(404);
    res.end();
    return;
  }
  const size = fs.statSync(file).size;
  const type = file.endsWith(".js") ? "application/javascript"
    : file.endsWith(".wasm") ? "application/wasm" : "application/octet-stream";
  const range = /bytes=(\d+)-(\d*)/.exec(req.headers.range || "");
  const headers = { "Content-Type": type, "Accept-Ranges": "bytes" };
  if (range) {
    const start = Number(range[1]);
    const end = range[2] ? Math.min(Number(range[2]), size - 1) : size - 1;
    res.writeHead(206, { ...headers, "Content-Range": `bytes ${start}-${end}/${size}`,
      "Content-Length": end - start + 1 });
    if (req.method === "HEAD") return res.end();
    fs.createReadStream(file, { start, end }).pipe(res);
    return;
  }
  res.writeHead(200, { ...headers, "Content-Length": size });
  if (req.method === "HEAD") return res.end();
  fs.createReadStream(file).pipe(res);
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// The browser, spoken to through its pipe (file descriptors 3 and 4): no port is opened.
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "replay-"));
const browser = spawn("chromium", [
  "--headless=new", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
  "--autoplay-policy=no-user-gesture-required",
  `--user-data-dir=${profile}`, "--window-size=1000,760", "--no-first-run", "about:blank",
], { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"], env: { ...process.env, HOME: profile } });
const toBrowser = browser.stdio[3];
const fromBrowser = browser.stdio[4];
let nextId = 1;
const waiting = new Map();
const defaultContexts = new Map();  // by frame
let buffer = "";
fromBrowser.on("data", (chunk) => {
  buffer += chunk.toString("utf8");
  let end;
  while ((end = buffer.indexOf("\0")) >= 0) {
    const message = JSON.parse(buffer.slice(0, end));
    buffer = buffer.slice(end + 1);
    if (process.env.REPLAY_DEBUG && (message.method === "Runtime.consoleAPICalled" ||
        message.method === "Runtime.exceptionThrown" || message.method === "Log.entryAdded")) {
      console.error(JSON.stringify(message.params).slice(0, 400));
    }
    if (message.method === "Runtime.executionContextCreated" &&
        message.params.context.auxData && message.params.context.auxData.isDefault) {
      defaultContexts.set(message.params.context.auxData.frameId, message.params.context.id);
    }
    if (message.id && waiting.has(message.id)) {
      waiting.get(message.id)(message);
      waiting.delete(message.id);
    }
  }
});
function send(method, params = {}, sessionId) {
  const id = nextId++;
  toBrowser.write(JSON.stringify({ id, method, params, sessionId }) + "\0");
  return new Promise((resolve, reject) => waiting.set(id, (m) =>
    m.error ? reject(new Error(`${method}: ${m.error.message}`)) : resolve(m.result)));
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function finish(code) {
  browser.kill("SIGKILL");
  server.close();
  try {
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
  } catch (e) {
    // the browser may still be writing as it goes
  }
  process.exit(code);
}

try {
  const { targetInfos } = await send("Target.getTargets");
  const page = targetInfos.find((t) => t.type === "page");
  const { sessionId } = await send("Target.attachToTarget", { targetId: page.targetId, flatten: true });
  await send("Page.enable", {}, sessionId);
  await send("Runtime.enable", {}, sessionId);
  if (process.env.REPLAY_DEBUG) {
    await send("Log.enable", {}, sessionId);
  }
  await send("Page.navigate", { url: origin + "/" }, sessionId);

  // The text of every frame of the replay, read in a world of the test's own.
  async function frameTexts() {
    const { frameTree } = await send("Page.getFrameTree", {}, sessionId);
    const frames = [];
    (function walk(node) {
      frames.push(node.frame);
      (node.childFrames || []).forEach(walk);
    })(frameTree);
    const texts = [];
    for (const frame of frames) {
      try {
        const { executionContextId } = await send("Page.createIsolatedWorld",
          { frameId: frame.id, worldName: "replay-check" }, sessionId);
        const { result } = await send("Runtime.evaluate", {
          expression: "document.body ? document.body.innerText : ''", contextId: executionContextId,
          returnByValue: true }, sessionId);
        texts.push({ url: frame.url, text: result.value || "" });
      } catch (e) {
        texts.push({ url: frame.url, text: "" });
      }
    }
    return texts;
  }

  // The players playing in every frame, asked in the frames' own worlds, where the player's
  // elements are defined.
  async function moviesPlaying() {
    let playing = 0;
    for (const context of defaultContexts.values()) {
      try {
        const { result } = await send("Runtime.evaluate", { returnByValue: true, contextId: context,
          expression: `Array.from(document.querySelectorAll("ruffle-embed, ruffle-object, ruffle-player"))
            .filter((p) => p.isPlaying === true).length` }, sessionId);
        playing += result.value || 0;
      } catch (e) {
        // a frame that has gone
      }
    }
    return playing;
  }

  let texts = [];
  let playing = 0;
  while (Date.now() < deadline) {
    texts = await frameTexts();
    playing = await moviesPlaying();
    if (process.env.REPLAY_DEBUG) console.error("frames", texts.length, "playing", playing);
    if (texts.some((t) => t.text.includes(expectedText)) && playing >= Number(expectedMovies)) {
      break;
    }
    await sleep(500);
  }
  await sleep(settleMs);
  texts = await frameTexts();
  const { data } = await send("Page.captureScreenshot", { format: "png" }, sessionId);
  fs.writeFileSync(screenshotPath, Buffer.from(data, "base64"));
  console.log(JSON.stringify({ texts, playing }));
  finish(0);
} catch (e) {
  console.error(e.message);
  finish(1);
}
