#include "studio_page.h"

namespace ris::tool {

namespace {

// One document, nothing fetched from elsewhere. The token arrives after "#"
// (never sent to a server), is kept for reloads in this tab's session
// storage and travels in a header with every call.
constexpr std::string_view kPage = R"studio(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>ris studio</title>
<link rel="icon" href="data:,">
<style>
body { font: 14px system-ui, sans-serif; margin: 0; background: #f4f4f6; color: #222; }
header { background: #2b3a55; color: #fff; padding: 10px 18px; display: flex; gap: 18px; align-items: baseline; }
header h1 { font-size: 18px; margin: 0; }
main { display: grid; grid-template-columns: minmax(420px, 1fr) minmax(420px, 1fr); gap: 16px; padding: 16px; }
section { background: #fff; border-radius: 6px; padding: 12px 16px; box-shadow: 0 1px 3px #0002; margin-bottom: 16px; }
h2 { font-size: 15px; margin: 0 0 10px; }
.drop { border: 2px dashed #8895b0; border-radius: 6px; padding: 14px; text-align: center; color: #556; }
.drop.over { background: #e4ebff; }
.cards { display: grid; grid-template-columns: repeat(auto-fill, minmax(180px, 1fr)); gap: 10px; margin: 10px 0; }
.card { border: 1px solid #ccd; border-radius: 6px; padding: 6px; }
.card .pictures { display: flex; gap: 4px; align-items: end; }
.card img.background { width: 110px; height: 70px; object-fit: cover; }
.card img.sprite, .card img.thumbnail { max-width: 40px; max-height: 40px; }
.card input.name { width: 100%; box-sizing: border-box; margin: 4px 0; }
fieldset { border: 1px solid #ccd; border-radius: 6px; margin: 0 0 12px; }
legend { font-weight: 600; }
.field { display: grid; grid-template-columns: 170px 1fr; gap: 2px 10px; padding: 5px 0; border-top: 1px solid #eee; }
.field label.key { font-family: monospace; padding-top: 3px; }
.field .explain { grid-column: 2; color: #667; font-size: 12px; }
.field .finding { grid-column: 2; font-size: 12px; }
.finding.error { color: #b00020; } .finding.warning { color: #8a5a00; } .finding.note { color: #355; }
.field input[type=text] { width: 100%; box-sizing: border-box; }
.field.flagged input[type=text] { outline: 2px solid #d08a00; }
#frame { max-width: 100%; border: 1px solid #333; background: #000; display: block; }
#dialog { position: relative; background: #ece9d8; border: 1px solid #888; font: 11px Tahoma, Arial, sans-serif; overflow: hidden; transform-origin: top left; }
#dialog div { position: absolute; box-sizing: border-box; white-space: pre-line; overflow: hidden; }
#dialog .k1 { color: #00c; text-decoration: underline; } #dialog .k4 { border: 1px solid #aaa; padding: 0 6px; }
#dialog .k6 { border: 1px solid #777; background: #f6f6f0; text-align: center; border-radius: 3px; }
#dialog .k7::before { content: "\2610 "; } #dialog .k8 { border: 1px solid #aaa; }
#dialog .k9, #dialog .k10 { border: 1px solid #7f9db9; background: #fff; } #dialog .k11 { border: 1px inset #999; }
#dialog .k12 { background: #000; } #dialog .k3 { display: none; }
#findings li { margin-bottom: 3px; }
button { padding: 5px 12px; }
#progress { color: #355; margin-left: 10px; }
.hidden { display: none; }
</style>
</head>
<body>
<header><h1>ris studio</h1><span id="folder"></span><span id="saver"></span></header>
<div id="new" class="hidden"><main><section>
  <h2>New product</h2>
  <p><label>Title <input id="new-title" type="text" value=""></label>
  <label>Code page <select id="new-code-page">
    <option>1252</option><option>1250</option><option>1251</option><option>1253</option><option>1254</option><option>1257</option>
  </select></label></p>
  <div class="drop" id="new-drop">Drop photos here (each becomes a set) or <input type="file" id="new-photos" multiple accept="image/*"></div>
  <p><button id="create">Create the product</button> <span id="new-said"></span></p>
</section></main></div>
<main id="product" class="hidden">
  <div>
    <section><h2>Picture sets</h2>
      <div class="drop" id="drop">Drop photos here to add sets, or <input type="file" id="photos" multiple accept="image/*"></div>
      <div id="said"></div>
      <div class="cards" id="sets"></div>
    </section>
    <section><h2>Settings</h2><div id="fields"></div></section>
  </div>
  <div>
    <section><h2>The saver</h2>
      <label>Screen <select id="size">
        <option value="1920x1080">1920 x 1080</option><option value="3840x2160">3840 x 2160</option>
        <option value="1366x768">1366 x 768</option><option value="preview">The preview window</option>
      </select></label> <span id="frame-said"></span>
      <img id="frame" alt="the saver's frame">
    </section>
    <section><h2>The configuration dialog</h2><div id="dialog-box"><div id="dialog"></div></div></section>
    <section><h2>Build</h2>
      <button id="build">Build</button><span id="progress"></span>
      <p id="output"></p>
      <ul id="built"></ul>
    </section>
    <section><h2>What ris pack says</h2><ul id="findings"></ul></section>
  </div>
</main>
<script>
"use strict";
const fromHash = new URLSearchParams(location.hash.slice(1)).get("token");
if (fromHash) { sessionStorage.setItem("risToken", fromHash); history.replaceState(null, "", location.pathname); }
const token = sessionStorage.getItem("risToken") || "";
const $ = id => document.getElementById(id);
let product = null, frameVersion = 0, frameTimer = null;

async function call(path, options = {}) {
  options.headers = Object.assign({"X-Studio-Token": token}, options.headers || {});
  const response = await fetch(path, options);
  return response;
}
async function callJson(path, body) {
  const response = await call(path, {method: "POST", headers: {"Content-Type": "application/json"},
                                     body: JSON.stringify(body)});
  return response.json();
}
function element(tag, attributes = {}, ...children) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === "text") made.textContent = value; else made.setAttribute(name, value);
  }
  for (const child of children) made.append(child);
  return made;
}
async function blobUrl(path) {
  const response = await call(path);
  return response.ok ? URL.createObjectURL(await response.blob()) : "";
}

// Findings name their place as "[section] key:"; each goes beside its field.
function findingKind(text) {
  return text.startsWith("error") ? "error" : text.startsWith("warning") ? "warning" : "note";
}
function findingsOf(field) {
  const place = ("[" + field.section + "] " + field.key + ":").toLowerCase();
  return product.findings.filter(line => line.toLowerCase().includes(place));
}

// The dialog's groups, titled by the product's own captions.
const groups = [
  ["general", ["general", "backgrounds"], "general"], ["bounce", ["bounce"], "bounce"],
  ["clock", ["clocksettings"], "clockSettings"], ["filename", ["FilenameSettings"], "FilenameSettings"],
  ["sets", ["sets"], "sets"], ["language", ["language"], null]];
function caption(key) {
  const found = product.fields.find(f => f.section === "language" && f.key === key);
  return found ? found.value.replace("&", "") : key;
}
function fieldId(field) { return "field-" + field.section + "-" + field.key; }

function valueInput(field) {
  const value = field.value, kind = field.kind.kind;
  const isSwitch = (kind === "switch" || kind === "flag") && /^(true|false)$/i.test(value);
  const input = isSwitch ? element("input", {type: "checkbox"}) : element("input", {type: "text"});
  if (isSwitch) input.checked = /^true$/i.test(value); else input.value = value;
  input.dataset.section = field.section; input.dataset.key = field.key;
  input.addEventListener(isSwitch ? "change" : "input", () => edited(input));
  return input;
}

function renderField(field, flagFor) {
  const row = element("div", {class: "field", id: fieldId(field)});
  row.append(element("label", {class: "key", text: field.key}));
  const controls = element("div"), value = valueInput(field);
  controls.append(value.type === "checkbox" ? element("label", {}, value, " on") : value);
  if (flagFor) {
    const flag = valueInput(flagFor);
    controls.append(" ", element("label", {}, flag, " the user may change it"));
  }
  row.append(controls);
  let explain = field.explanation;
  if (field.kind.kind === "number") explain += " (" + field.kind.least + " to " + field.kind.most + ")";
  row.append(element("div", {class: "explain", text: explain}));
  for (const line of findingsOf(field).concat(flagFor ? findingsOf(flagFor) : [])) {
    row.classList.add("flagged");
    row.append(element("div", {class: "finding " + findingKind(line), text: line}));
  }
  return row;
}

function renderFields() {
  const box = $("fields"), focused = document.activeElement;
  if (focused && focused.dataset && focused.dataset.key && box.contains(focused)) {
    // The maker is typing: the field typed in stays as it is, the others
    // show what the folder holds now.
    for (const input of box.querySelectorAll("input[data-key]")) {
      const field = product.fields.find(f => f.section === input.dataset.section && f.key === input.dataset.key);
      if (input === focused || !field) continue;
      if (input.type === "checkbox") input.checked = /^true$/i.test(field.value); else input.value = field.value;
    }
    return refreshFindings();
  }
  box.replaceChildren();
  for (const [name, sections, title] of groups) {
    const set = element("fieldset", {id: "group-" + name}, element("legend", {text: title ? caption(title) : "Dialog captions"}));
    const inGroup = product.fields.filter(f => sections.includes(f.section));
    const flags = new Set();
    for (const field of inGroup) {
      if (field.kind.kind === "flag") continue;
      const flag = inGroup.find(f => f.kind.kind === "flag" && f.key.toLowerCase() === "set" + field.key.toLowerCase());
      if (flag) flags.add(flag);
      set.append(renderField(field, flag));
    }
    for (const flag of inGroup.filter(f => f.kind.kind === "flag" && !flags.has(f))) set.append(renderField(flag));
    box.append(set);
  }
}

function refreshFindings() {
  for (const field of product.fields) {
    const row = $(fieldId(field));
    if (!row) continue;
    row.querySelectorAll(".finding").forEach(old => old.remove());
    row.classList.remove("flagged");
    for (const line of findingsOf(field)) {
      row.classList.add("flagged");
      row.append(element("div", {class: "finding " + findingKind(line), text: line}));
    }
  }
}

async function renderSets() {
  const cards = $("sets");
  cards.replaceChildren();
  for (const set of product.sets) {
    const card = element("div", {class: "card", "data-set": set.name});
    const pictures = element("div", {class: "pictures"});
    for (const role of ["background", "sprite", "thumbnail"]) {
      const picture = element("img", {class: role, title: role + ": " + (set[role] || "missing")});
      if (set[role]) blobUrl("/api/file?path=" + encodeURIComponent(set[role])).then(url => picture.src = url);
      const replace = element("input", {type: "file", class: "hidden", accept: "image/*"});
      replace.addEventListener("change", () => replacePicture(set.name, role, replace.files[0]));
      picture.addEventListener("click", () => replace.click());
      pictures.append(picture, replace);
    }
    const name = element("input", {class: "name", type: "text"});
    name.value = set.name;
    name.addEventListener("change", async () => {
      show(await callJson("/api/sets/rename", {from: set.name, to: name.value}));
      changed();
    });
    const remove = element("button", {text: "Remove"});
    remove.addEventListener("click", async () => { show(await callJson("/api/sets/remove", {name: set.name})); changed(); });
    card.append(pictures, name, remove);
    cards.append(card);
  }
}

function renderFindings() {
  $("findings").replaceChildren(...product.findings.map(line => element("li", {class: "finding " + findingKind(line), text: line})));
  if (!product.findings.length) $("findings").append(element("li", {text: "nothing: the product packs as it is"}));
}

function show(said) {
  $("said").textContent = [said.output, said.complaints].filter(Boolean).join("\n");
}

async function drawDialog() {
  const dialog = await (await call("/api/dialog")).json();
  const box = $("dialog");
  box.replaceChildren();
  if (!dialog.ok) { box.textContent = dialog.complaints; return; }
  let width = 0;
  for (const control of dialog.controls) {
    width = Math.max(width, control.x + control.width);
    // "&" marks a shortcut's letter, "&&" is an ampersand.
    const text = control.caption.replace(/\r\n/g, "\n").replace(/&(&?)/g, "$1");
    const drawn = element("div", {class: "k" + control.kind, title: control.name, text});
    Object.assign(drawn.style, {left: control.x + "px", top: control.y + "px", width: control.width + "px", height: control.height + "px"});
    box.append(drawn);
  }
  box.style.width = width + 5 + "px";
  box.style.height = dialog.height + "px";
}

async function drawFrame() {
  const asked = ++frameVersion;
  $("frame-said").textContent = "drawing...";
  const response = await call("/api/frame?size=" + $("size").value);
  if (asked !== frameVersion) return;
  if (!response.ok) { $("frame-said").textContent = (await response.json()).complaints; return; }
  const bytes = await response.arrayBuffer();
  let digest = 0;
  for (const byte of new Uint8Array(bytes)) digest = (digest * 31 + byte) >>> 0;
  $("frame").src = URL.createObjectURL(new Blob([bytes], {type: "image/png"}));
  $("frame").dataset.digest = digest;
  $("frame-said").textContent = "";
}

let editTimer = null;
const pendingEdits = new Map();
function edited(input) {
  const value = input.type === "checkbox" ? String(input.checked) : input.value;
  pendingEdits.set(input.dataset.section + "\n" + input.dataset.key, {section: input.dataset.section, key: input.dataset.key, value});
  clearTimeout(editTimer);
  editTimer = setTimeout(saveEdits, 200);
}
async function saveEdits() {
  const edits = [...pendingEdits.values()];
  pendingEdits.clear();
  for (const edit of edits) {
    const said = await callJson("/api/settings", edit);
    if (!said.ok) $("said").textContent = said.complaints;
  }
  changed();
}

// Reads the folder again; what changed there, by the page or an editor,
// is shown.
async function load(force) {
  const response = await call("/api/product");
  if (!response.ok) { document.body.textContent = "This page has no valid token: open the address ris studio printed."; return; }
  const fresh = await response.json();
  $("folder").textContent = fresh.folder;
  $("new").classList.toggle("hidden", fresh.exists);
  $("product").classList.toggle("hidden", !fresh.exists);
  if (!fresh.exists) { product = fresh; return; }
  $("saver").textContent = fresh.saver;
  if (!force && product && product.version === fresh.version) return;
  const setsChanged = !product || JSON.stringify(product.sets) !== JSON.stringify(fresh.sets);
  product = fresh;
  renderFields();
  renderFindings();
  if (setsChanged) renderSets();
  drawFrame();
  drawDialog();
  document.body.dataset.version = product.version;
}
function changed() { load(false); }

async function upload(path, files, extra = {}) {
  const form = new FormData();
  for (const [name, value] of Object.entries(extra)) form.append(name, value);
  for (const file of files) form.append("photo", file, file.name);
  const response = await call(path, {method: "POST", body: form});
  return response.json();
}
async function addPhotos(files) {
  $("said").textContent = "making sets of " + files.length + " photos...";
  show(await upload("/api/photos", files));
  changed();
}
async function replacePicture(set, role, file) {
  const form = new FormData();
  form.append("set", set); form.append("role", role); form.append("picture", file, file.name);
  show(await (await call("/api/sets/replace", {method: "POST", body: form})).json());
  changed();
}
function dropZone(zone, take) {
  zone.addEventListener("dragover", event => { event.preventDefault(); zone.classList.add("over"); });
  zone.addEventListener("dragleave", () => zone.classList.remove("over"));
  zone.addEventListener("drop", event => {
    event.preventDefault(); zone.classList.remove("over");
    take([...event.dataTransfer.files]);
  });
}
let newPhotos = [];
dropZone($("new-drop"), files => { newPhotos = files; $("new-said").textContent = files.length + " photos"; });
$("new-photos").addEventListener("change", () => { newPhotos = [...$("new-photos").files]; });
$("create").addEventListener("click", async () => {
  $("new-said").textContent = "making the product...";
  const said = await upload("/api/new", newPhotos, {title: $("new-title").value, codePage: $("new-code-page").value});
  $("new-said").textContent = said.complaints || "";
  load(true);
});
dropZone($("drop"), addPhotos);
$("photos").addEventListener("change", () => addPhotos([...$("photos").files]));
$("size").addEventListener("change", drawFrame);

$("build").addEventListener("click", async () => {
  $("build").disabled = true;
  $("built").replaceChildren();
  const watch = setInterval(async () => {
    const step = (await (await call("/api/build")).json()).step;
    if (step) $("progress").textContent = step;
  }, 300);
  const built = await (await call("/api/build", {method: "POST"})).json();
  clearInterval(watch);
  $("progress").textContent = built.ok ? "built" : "not built";
  $("output").textContent = [built.setup, built.output, built.complaints].filter(Boolean).join("\n");
  $("built").replaceChildren(...built.findings.map(line => element("li", {class: "finding " + findingKind(line), text: line})),
                             ...built.files.map(file => element("li", {class: "file", text: file})));
  $("build").disabled = false;
  document.body.dataset.built = built.ok ? "yes" : "no";
});

// The server ends a minute after the last call. The page's own calls show
// edits made in a text editor; a worker's, which a browser does not slow
// down in a tab left in the background, keep the server while it is open.
setInterval(() => load(false), 2000);
const heart = new Worker(URL.createObjectURL(new Blob([
  "onmessage = m => setInterval(() => fetch(m.data.url, {method: 'POST', headers: {'X-Studio-Token': m.data.token}}), 10000);"],
  {type: "text/javascript"})));
heart.postMessage({url: location.origin + "/api/heartbeat", token});
load(true);
</script>
</body>
</html>
)studio";

}  // namespace

std::string_view StudioPage() { return kPage; }

}  // namespace ris::tool
