// Prints every table of an Access file as mdb-reader reads it, one JSON
// object: {"password": …, "tables": {name: {"columns": […], "rows": [[…]]}}}.
// Each cell is written so that the C++ side can write its own the same way:
// null as null, text as "T:…", numbers as "N:…", yes/no as "B:true",
// date/time as "D:" + ISO time (UTC), currency and decimals as "N:…" without
// trailing zeros,
// binary as "X:" + hex.
import MDBReader from "mdb-reader";
import { readFileSync } from "fs";

const [file, password = ""] = process.argv.slice(2);
const reader = new MDBReader(readFileSync(file), { password });
const decimal = (text) => {
  let t = String(text);
  if (t.includes(".")) t = t.replace(/0+$/, "").replace(/\.$/, "");
  return t === "-0" ? "0" : t;
};
const cell = (v, type) => {
  if (v === null || v === undefined) return null;
  if (type === "currency" || type === "numeric") return "N:" + decimal(v);
  if (typeof v === "string") return "T:" + v;
  if (typeof v === "number" || typeof v === "bigint") return "N:" + String(v);
  if (typeof v === "boolean") return "B:" + v;
  if (v instanceof Date) return "D:" + v.toISOString();
  if (Buffer.isBuffer(v)) return "X:" + v.toString("hex");
  return "?:" + JSON.stringify(v);
};
const out = { password: reader.getPassword?.() ?? null, tables: {} };
for (const name of reader.getTableNames()) {
  const table = reader.getTable(name);
  const columns = table.getColumns();
  out.tables[name] = {
    columns: columns.map((c) => ({ name: c.name, type: c.type })),
    rows: table.getData().map((row) => columns.map((c) => cell(row[c.name], c.type))),
  };
}
process.stdout.write(JSON.stringify(out));
