// Reads a web archive with warcio (Webrecorder's reader) and prints one JSON line per record:
// its type, target, HTTP status, whether its payload digest holds, and the payload's SHA-256.
import crypto from "node:crypto";
import fs from "node:fs";
import { WARCParser } from "warcio";

function base32(bytes) {
  const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  let bits = 0, value = 0, out = "";
  for (const byte of bytes) {
    value = (value << 8) | byte;
    bits += 8;
    while (bits >= 5) {
      out += alphabet[(value >>> (bits - 5)) & 31];
      bits -= 5;
    }
  }
  if (bits > 0) out += alphabet[(value << (5 - bits)) & 31];
  while (out.length % 8) out += "=";
  return out;
}

const parser = new WARCParser(fs.createReadStream(process.argv[2]));
for await (const record of parser) {
  const payload = await record.readFully(true);
  const declared = record.warcHeader("WARC-Payload-Digest");
  const digest = "sha1:" + base32(crypto.createHash("sha1").update(payload).digest());
  console.log(JSON.stringify({
    type: record.warcType,
    uri: record.warcTargetURI || null,
    status: record.httpHeaders ? record.httpHeaders.statusCode : null,
    concurrentTo: record.warcHeader("WARC-Concurrent-To") || null,
    payloadDigestOk: declared ? declared === digest : null,
    sha256: crypto.createHash("sha256").update(payload).digest("hex"),
  }));
}
