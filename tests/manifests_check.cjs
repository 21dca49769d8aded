// Checks the package manifests that scripts/dist.sh writes beside the release zip, as winget and
// Scoop will read them: YAML 1.2 typing (with dates read as dates), the fields the 1.28 schemas
// require, one identifier and version throughout, the zip's SHA-256, and paths that exist in it.
// Prints one line per check; fails on any failure.
// Usage: node tests/manifests_check.cjs OUT   (OUT: the folder with the zip, winget/ and zorkmix.json)
"use strict";
const crypto = require("node:crypto");
const fs = require("node:fs");
const path = require("node:path");
const YAML = require("yaml");

const out = process.argv[2];
const zipName = fs.readdirSync(out).find((n) => /^zorkMIX-.*-win32\.zip$/.test(n));
const version = /^zorkMIX-(.*)-win32\.zip$/.exec(zipName)[1];
const zip = fs.readFileSync(path.join(out, zipName));
const scoop = JSON.parse(fs.readFileSync(path.join(out, "zorkmix.json"), "utf8"));
const sums = fs.readFileSync(path.join(out, "SHA256SUMS"), "utf8");
const files = {};
for (const name of fs.readdirSync(path.join(out, "winget"))) {
  const text = fs.readFileSync(path.join(out, "winget", name), "utf8");
  try {
    files[name] = { text, data: YAML.parse(text, { customTags: ["timestamp"] }) ?? {} };
  } catch (error) {
    files[name] = { text, data: {}, error: `${name}: ${error.message.split("\n")[0]}` };
  }
}
const manifest = (type) => Object.values(files).find((f) => f.data.ManifestType === type)?.data ?? {};
const installer = manifest("installer");
const entry = installer.Installers?.[0] ?? {};

// The names of the zip's entries, from its central directory.
function entries(zip) {
  const end = zip.lastIndexOf(Buffer.from([0x50, 0x4b, 5, 6]));
  const names = [];
  for (let at = zip.readUInt32LE(end + 16), n = zip.readUInt16LE(end + 10); n > 0; n--) {
    const length = zip.readUInt16LE(at + 28);
    names.push(zip.toString("utf8", at + 46, at + 46 + length));
    at += 46 + length + zip.readUInt16LE(at + 30) + zip.readUInt16LE(at + 32);
  }
  return names;
}
const inZip = entries(zip);
const required = {
  version: ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
  defaultLocale: ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
    "License", "ShortDescription", "ManifestType", "ManifestVersion"],
  installer: ["PackageIdentifier", "PackageVersion", "InstallerType", "NestedInstallerType",
    "NestedInstallerFiles", "Installers", "ManifestType", "ManifestVersion"],
};
const sha = crypto.createHash("sha256").update(zip).digest("hex");
const besideExe = (exe) => [exe, path.posix.join(path.posix.dirname(exe), "SpecChar.txt")];

// Each check: what a user would meet if it failed, and the faults it finds (none: passed).
const checks = [
  ["the three winget files are YAML, each with its schema line", () =>
    Object.values(files).flatMap((f) => f.error ?? []).concat(Object.keys(required).flatMap((type) => {
      const f = Object.values(files).filter((f) => f.data.ManifestType === type);
      const line = `# yaml-language-server: $schema=https://aka.ms/winget-manifest.${type.toLowerCase()}.1.28.0.schema.json`;
      return f.length !== 1 ? [`${f.length} ${type} manifests`] : f[0].text.startsWith(line + "\n") ? [] : [`${type}: no line ${line}`];
    }))],
  ["every field the 1.28 schemas require is there, and texts read as texts", () =>
    Object.entries(required).flatMap(([type, keys]) => keys.flatMap((key) => {
      const value = manifest(type)[key];
      if (value === undefined || value === null || value === "") return [`${type}: no ${key}`];
      return Array.isArray(value) || typeof value === "string" ? [] : [`${type}: ${key} reads as ${typeof value} ${value}`];
    })).concat(["Architecture", "InstallerUrl", "InstallerSha256"].filter((k) => typeof entry[k] !== "string")
      .map((k) => `installer: Installers[0].${k} missing or not text`))],
  ["PackageVersion and ReleaseDate read as texts, not as a number or a date", () =>
    [...Object.values(files).map((f) => ["PackageVersion", f.data.PackageVersion]), ["ReleaseDate", installer.ReleaseDate]]
      .filter(([, v]) => typeof v !== "string").map(([k, v]) => `${k} reads as ${v instanceof Date ? "a date" : typeof v} ${v}`)],
  ["one identifier and the zip's version in every file", () =>
    Object.entries(files).flatMap(([name, f]) =>
      (f.data.PackageVersion !== version ? [`${name}: version ${f.data.PackageVersion}, the zip's ${version}`] : [])
        .concat(name.startsWith(f.data.PackageIdentifier + ".") ? [] : [`${name} holds ${f.data.PackageIdentifier}`]))
      .concat(scoop.version === version ? [] : [`zorkmix.json: version ${scoop.version}, the zip's ${version}`])],
  ["InstallerSha256 and Scoop's hash are the zip's SHA-256, as SHA256SUMS gives it", () =>
    [[`InstallerSha256`, String(entry.InstallerSha256).toLowerCase()], ["Scoop's hash", scoop.hash],
      ["SHA256SUMS", sums.match(new RegExp(`^([0-9a-f]{64})  ${zipName}$`, "m"))?.[1]]]
      .filter(([, v]) => v !== sha).map(([k, v]) => `${k} ${v}, the zip's ${sha}`)],
  ["RelativeFilePath names zorkMIX.exe in the zip, with SpecChar.txt beside it", () =>
    besideExe(String(installer.NestedInstallerFiles?.[0]?.RelativeFilePath).replaceAll("\\", "/"))
      .filter((p) => !inZip.includes(p)).map((p) => `no ${p} in the zip`)],
  ["Scoop's extract_dir holds zorkMIX.exe and SpecChar.txt", () =>
    besideExe(`${scoop.extract_dir}/zorkMIX.exe`).filter((p) => !inZip.includes(p)).map((p) => `no ${p} in the zip`)],
  ["ArchiveBinariesDependOnPath is true: winget puts the exe's own folder on PATH, no link", () =>
    installer.ArchiveBinariesDependOnPath === true ? [] : [`it is ${installer.ArchiveBinariesDependOnPath}`]],
  ["winget and Scoop download the zip from the release", () =>
    [entry.InstallerUrl, scoop.url].filter((u) => !String(u).endsWith(`/releases/download/v${version}/${zipName}`))
      .map((u) => `url ${u}`)],
];

let failed = 0;
for (const [name, run] of checks) {
  const faults = run();
  failed += faults.length > 0;
  console.log(faults.length ? `failed   ${name}: ${faults.join("; ")}` : `passed   ${name}`);
}
console.log(`manifests: ${checks.length - failed} of ${checks.length} checks passed`);
process.exit(failed ? 1 : 0);
