// The firewall panel: reads the request catalogue, builds a section per feature
// group with a form per request, and follows the bus through the bridge's event
// stream. Nothing here names a request: a request added to the catalogue shows
// up with its form.

import { el, clock, parseJson, shortName } from "./util.js";
import { RequestForm } from "./forms.js";
import { GroupView, answerNames } from "./views.js";
import { Traffic } from "./traffic.js";

// How long a published request may stay unanswered before the page says so.
const SILENCE_MS = 3000;
const PANEL_SENDER = "Panel";

const page = {
  catalogueText: "",
  module: "",  // the catalogue's module
  entries: [],
  forms: new Map(),  // request name -> RequestForm
  views: new Map(),  // message name -> [GroupView]
  modules: new Map(),  // name -> { running, reason }
  waiting: [],  // published requests waiting for an answer
  traffic: new Traffic(document.getElementById("traffic")),
};

// A request that only reads: no payload and something to answer with, but no change result.
function isReader(entry) {
  const answers = entry.answers.length + (entry.component_messages || []).length;
  return entry.payload === null && answers > 0 && !entry.answers.some((answer) => "feature_id" in answer);
}

function expectedNames(entry) {
  return [...answerNames(entry), ...(entry.component_messages || [])];
}

// --- sending ------------------------------------------------------------------

function waitForAnswer(entry) {
  return new Promise((resolve) => {
    const waiter = { entry, names: new Set(expectedNames(entry)), resolve };
    waiter.timer = setTimeout(() => settle(waiter, null), SILENCE_MS);
    page.waiting.push(waiter);
  });
}

function settle(waiter, message) {
  clearTimeout(waiter.timer);
  page.waiting = page.waiting.filter((other) => other !== waiter);
  waiter.resolve(message);
}

// The oldest waiter that this message answers; a change result must carry the
// request's own feature and function.
function answerWaiters(message) {
  if (message.sender === PANEL_SENDER) return;
  const payload = parseJson(message.payload);
  const waiter = page.waiting.find((candidate) => {
    if (!candidate.names.has(message.name)) return false;
    const answer = candidate.entry.answers.find((known) => known.name === message.name);
    if (!answer || !("feature_id" in answer)) return true;
    return payload && payload.feature_id === answer.feature_id && payload.func_id === answer.func_id;
  });
  if (waiter) settle(waiter, message);
}

function showAnswer(form, message) {
  const payload = parseJson(message.payload);
  const refused = payload && payload.Successful === false;
  form.show(refused ? "refused" : "ok", `${refused ? "refused: " : ""}${shortName(message.name)} ${message.payload}`);
  return !refused;
}

async function send(form, payload, outside = []) {
  const entry = form.entry;
  const note = outside.length ? ` (the schema would refuse it: ${outside.join("; ")})` : "";
  const names = expectedNames(entry);
  form.show("busy", `sent at ${clock()}${names.length ? `, waiting for ${names.map(shortName).join(" or ")}` : ""}${note}`);
  const asRequest = entry.send === "request";
  const answer = !asRequest && names.length ? waitForAnswer(entry) : null;
  let response;
  try {
    response = await fetch(asRequest ? "api/request" : "api/publish", {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify({ name: entry.name, payload }),
    });
  } catch (error) {
    response = { ok: false, status: 0, text: async () => `the bridge cannot be reached (${error.message})` };
  }
  if (!response.ok) {
    const reason = (await response.text()).trim();
    page.waiting.filter((waiter) => waiter.entry === entry).forEach((waiter) => settle(waiter, null));
    form.show("refused", `the bridge refused it${response.status ? ` (HTTP ${response.status})` : ""}: ${reason}`);
    return;
  }
  let ok = true;
  if (asRequest) {
    const result = await response.json();
    if (result.answered) ok = showAnswer(form, result.reply);
    else {
      ok = false;
      form.show("silent", `no reply: ${result.status}${note}`);
    }
  } else if (answer) {
    const message = await answer;
    if (message) ok = showAnswer(form, message);
    else {
      ok = false;
      form.show("silent", `no answer within ${SILENCE_MS / 1000} s: the module refused the request or did not take it${note}`);
    }
  } else {
    form.show("ok", `sent at ${clock()}; the module publishes no answer to it${note}`);
  }
  if (ok && !isReader(entry)) refreshAfter(entry);
}

function sendReaders(entries) {
  const seen = new Set();
  for (const entry of entries.filter(isReader)) {
    const key = expectedNames(entry).sort().join(" ");
    if (seen.has(key)) continue;
    seen.add(key);
    send(page.forms.get(entry.name), {});
  }
}

// After a change, what its group shows is read again; a change without any
// payload (restoring the defaults) may touch every group.
function refreshAfter(entry) {
  sendReaders(entry.payload === null ? page.entries : page.entries.filter((other) => other.group === entry.group));
}

// --- the catalogue ------------------------------------------------------------

function slug(text) {
  return text.toLowerCase().replace(/[^a-z0-9]+/g, "-").replace(/^-|-$/g, "");
}

function build(catalogue) {
  const groups = document.getElementById("groups");
  const nav = document.getElementById("group-links");
  groups.replaceChildren();
  nav.replaceChildren();
  page.forms.clear();
  page.views.clear();
  page.entries = catalogue.requests;
  page.module = catalogue.module || "";
  const order = [...new Set(page.entries.map((entry) => entry.group || "Other"))];
  for (const group of order) {
    const entries = page.entries.filter((entry) => (entry.group || "Other") === group);
    const forms = entries.map((entry) => new RequestForm(entry, send));
    forms.forEach((form) => page.forms.set(form.entry.name, form));
    const view = new GroupView(entries, forms);
    for (const name of view.names()) page.views.set(name, [...(page.views.get(name) || []), view]);
    const id = `group-${slug(group)}`;
    const bare = forms.filter((form) => !form.entry.payload);
    const full = forms.filter((form) => form.entry.payload);
    groups.append(el("section", { class: "group", id, "aria-labelledby": `${id}-title` },
      el("h2", { id: `${id}-title` }, group),
      view.element,
      bare.length ? el("div", { class: "bare-forms" }, ...bare.map((form) => form.element)) : null,
      el("div", { class: "forms" }, ...full.map((form) => form.element))));
    nav.append(el("li", {}, el("a", { href: `#${id}` }, group)));
  }
  document.getElementById("catalogue-note").textContent =
    `${page.entries.length} requests of ${page.module || "the module"} from the catalogue`;
}

async function loadCatalogue() {
  const problem = document.getElementById("catalogue-problem");
  try {
    const response = await fetch("api/catalogue");
    const text = await response.text();
    if (!response.ok) throw new Error(text.trim());
    if (text !== page.catalogueText) {
      build(JSON.parse(text));
      page.catalogueText = text;
    }
    problem.hidden = true;
    return true;
  } catch (error) {
    problem.textContent = `No request catalogue: ${error.message}`;
    problem.hidden = false;
    return false;
  }
}

// --- modules ------------------------------------------------------------------

function renderModules() {
  const list = document.getElementById("modules");
  list.replaceChildren(...[...page.modules].map(([name, state]) => {
    const action = state.running ? "unload" : "load";
    const button = el("button", { type: "button", class: "small", "aria-label": `${action} ${name}` }, state.running ? "Unload" : "Load");
    button.addEventListener("click", () => changeModule(name, action));
    return el("li", { "data-module": name, class: state.running ? "running" : "stopped" },
      el("strong", {}, name), " ",
      el("span", { class: `flag ${state.running ? "on" : "off"}` }, state.running ? "loaded" : "unloaded"), " ",
      el("span", { class: "reason" }, state.reason), " ", button);
  }));
  const mine = page.modules.get(page.module);
  const banner = document.getElementById("module-banner");
  banner.hidden = !mine || mine.running;
  if (mine && !mine.running) {
    banner.textContent = `${page.module} is unloaded (${mine.reason}): its requests get no answer until it is loaded again.`;
  }
}

async function changeModule(name, action) {
  const note = document.getElementById("module-note");
  note.textContent = `${action === "load" ? "loading" : "unloading"} ${name}…`;
  const response = await fetch(`api/modules/${encodeURIComponent(name)}/${action}`, {
    method: "POST", headers: { "Content-Type": "application/json" }, body: "{}",
  }).catch((error) => ({ ok: false, text: async () => error.message }));
  note.textContent = response.ok ? "" : (await response.text()).trim();
}

function moduleChanged(state) {
  const before = page.modules.get(state.name);
  page.modules.set(state.name, { running: state.running, reason: state.reason });
  renderModules();
  if (state.name === page.module && state.running && !(before && before.running)) sendReaders(page.entries);
}

// --- the event stream ---------------------------------------------------------

function setLink(live, text) {
  const link = document.getElementById("link");
  link.className = `link ${live ? "up" : "down"}`;
  link.textContent = text;
}

function connect() {
  const stream = new EventSource("api/events");
  stream.addEventListener("modules", async (event) => {
    setLink(true, "live");
    await loadCatalogue();
    page.modules.clear();
    for (const state of JSON.parse(event.data).modules) page.modules.set(state.name, state);
    renderModules();
    if (page.modules.get(page.module)?.running) sendReaders(page.entries);
  });
  stream.addEventListener("module", (event) => moduleChanged(JSON.parse(event.data)));
  stream.addEventListener("bus", (event) => {
    const message = JSON.parse(event.data);
    page.traffic.add(message);
    for (const view of page.views.get(message.name) || []) view.update(message);
    answerWaiters(message);
  });
  stream.addEventListener("error", () => {
    stream.close();
    setLink(false, "disconnected, reconnecting…");
    setTimeout(connect, 1000);
  });
}

connect();
