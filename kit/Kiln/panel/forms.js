// One form per catalogue request, built from its payload schema: a field per
// member (nested objects as field sets), the payload as editable JSON, a Send
// button and, beside them, what became of the last send.

import { el, checkAgainst, shortName } from "./util.js";

let serial = 0;

// A word set of exactly "on" and "off" is shown as a switch.
function isSwitch(schema) {
  return schema.type === "string" && Array.isArray(schema.enum) && schema.enum.length === 2 &&
    schema.enum.includes("on") && schema.enum.includes("off");
}

// What the label alone does not tell: a narrow number range, a text pattern.
function describe(schema, optional) {
  const parts = [];
  const narrow = (schema.minimum ?? -2147483648) > -2147483648 || (schema.maximum ?? 2147483647) < 2147483647;
  if (schema.type === "integer" || schema.type === "number") parts.push(narrow ? `${schema.minimum ?? "…"} to ${schema.maximum ?? "…"}` : "a number");
  if (schema.pattern) parts.push(`ids like 4,9`);
  if (optional) parts.push("optional");
  return parts.join(", ");
}

// One input and how to read and write it.
class Field {
  constructor(path, schema, optional) {
    this.path = path.join(".");
    this.schema = schema;
    this.optional = optional;
    this.id = `field-${++serial}`;
    const type = schema.type;
    if (isSwitch(schema)) {
      this.kind = "switch";
      this.input = el("input", { type: "checkbox", role: "switch", id: this.id, checked: true });
    } else if (type === "boolean") {
      this.kind = optional ? "choice" : "boolean";
      this.input = optional
        ? el("select", { id: this.id }, ...["", "true", "false"].map((v) => el("option", { value: v }, v || "(leave out)")))
        : el("input", { type: "checkbox", id: this.id });
    } else if (Array.isArray(schema.enum)) {
      this.kind = "word";
      const words = optional ? ["", ...schema.enum] : schema.enum;
      this.input = el("select", { id: this.id }, ...words.map((w) => el("option", { value: w }, w || "(leave out)")));
    } else if (type === "integer" || type === "number") {
      this.kind = "number";
      this.input = el("input", { type: "text", inputmode: "numeric", id: this.id, value: optional ? "" : String(Math.max(0, schema.minimum ?? 0)) });
    } else {
      this.kind = "text";
      this.input = el("input", { type: "text", id: this.id, spellcheck: "false" });
    }
    const label = el("label", { for: this.id }, path[path.length - 1]);
    const hintText = describe(schema, optional);
    const hint = hintText ? el("span", { class: "hint", id: `${this.id}-hint` }, hintText) : null;
    if (hint) this.input.setAttribute("aria-describedby", hint.id);
    this.row = this.kind === "switch" || this.kind === "boolean"
      ? el("div", { class: "field check" }, this.input, label, hint)
      : el("div", { class: "field" }, label, this.input, hint);
  }

  // { value } when the field gives one, {} when an optional field is left out,
  // { problem } when its text is not a value of its type.
  read() {
    const input = this.input;
    switch (this.kind) {
      case "switch": return { value: input.checked ? "on" : "off" };
      case "boolean": return { value: input.checked };
      case "choice": return input.value === "" ? {} : { value: input.value === "true" };
      case "word": return input.value === "" ? {} : { value: input.value };
      case "number": {
        const text = input.value.trim();
        if (text === "" && this.optional) return {};
        const value = Number(text);
        if (text === "" || !Number.isFinite(value)) return { problem: `${this.path} needs a number` };
        return { value };
      }
      default: return this.optional && input.value === "" ? {} : { value: input.value };
    }
  }

  write(value) {
    const input = this.input;
    switch (this.kind) {
      case "switch": input.checked = value === "on" || value === true || value === 1; break;
      case "boolean": input.checked = value === true || value === 1; break;
      case "choice": input.value = value === undefined ? "" : String(Boolean(value)); break;
      case "number": input.value = typeof value === "boolean" ? (value ? "1" : "0") : String(value); break;
      default: input.value = String(value);
    }
  }
}

function buildFields(parent, schema, path, fields) {
  const required = new Set(schema.required || []);
  for (const [key, sub] of Object.entries(schema.properties || {})) {
    if (sub.type === "object") {
      const set = el("fieldset", { class: "nested" }, el("legend", {}, key));
      buildFields(set, sub, [...path, key], fields);
      parent.append(set);
    } else {
      const field = new Field([...path, key], sub, !required.has(key));
      fields.push(field);
      parent.append(field.row);
    }
  }
}

function flatten(object, prefix = "", out = {}) {
  for (const [key, value] of Object.entries(object)) {
    if (value !== null && typeof value === "object" && !Array.isArray(value)) flatten(value, `${prefix}${key}.`, out);
    else out[prefix + key] = value;
  }
  return out;
}

export class RequestForm {
  // onSend(form, payload) sends; the form only gathers and shows.
  constructor(entry, onSend) {
    this.entry = entry;
    this.onSend = onSend;
    this.fields = [];
    this.dirty = false;  // the user changed a field since the module last filled them
    this.jsonEdited = false;
    const title = shortName(entry.name);
    this.result = el("p", { class: "result", role: "status", "aria-live": "polite" });
    this.button = el("button", { type: "submit" }, entry.payload ? "Send" : title);
    this.element = el("form", { class: entry.payload ? "request" : "request bare", "data-request": entry.name, novalidate: true });
    if (entry.payload) {
      this.element.append(el("h3", {}, title, " ", el("code", { class: "kind" }, entry.send)));
      buildFields(this.element, entry.payload, [], this.fields);
      this.json = el("textarea", { rows: 3, spellcheck: "false", "aria-label": `${entry.name} payload as JSON (Ctrl+Enter sends)` });
      this.element.append(el("details", { class: "json" }, el("summary", {}, "JSON"), this.json));
      this.json.addEventListener("input", () => { this.jsonEdited = true; });
      this.element.addEventListener("input", (event) => { if (event.target !== this.json) this.fieldsChanged(); });
      this.element.addEventListener("change", (event) => { if (event.target !== this.json) this.fieldsChanged(); });
      this.syncJson();
    }
    this.element.append(el("div", { class: "actions" }, this.button, this.result));
    this.element.title = entry.name;
    this.element.addEventListener("submit", (event) => { event.preventDefault(); this.submit(); });
    this.element.addEventListener("keydown", (event) => this.onKey(event));
    // A form that is only a switch acts at once, as a switch does.
    this.instant = this.fields.length === 1 && this.fields[0].kind === "switch";
    if (this.instant) {
      this.fields[0].input.addEventListener("change", () => this.submit());
      this.button.hidden = true;
    }
  }

  onKey(event) {
    if (event.key !== "Enter") return;
    const target = event.target;
    if (target === this.json && !event.ctrlKey) return;
    if (target.tagName === "BUTTON" || target.tagName === "SUMMARY") return;
    event.preventDefault();
    this.submit();
  }

  fieldsChanged() {
    this.dirty = true;
    this.syncJson();
  }

  syncJson() {
    const { payload } = this.fromFields();
    this.json.value = JSON.stringify(payload);
    this.jsonEdited = false;
  }

  fromFields() {
    const payload = {};
    const problems = [];
    for (const field of this.fields) {
      const { value, problem } = field.read();
      if (problem) problems.push(problem);
      if (value === undefined) continue;
      const keys = field.path.split(".");
      let at = payload;
      for (const key of keys.slice(0, -1)) at = at[key] ??= {};
      at[keys[keys.length - 1]] = value;
    }
    return { payload, problems };
  }

  // The payload to send, or null after showing why there is none.
  payload() {
    if (!this.entry.payload) return {};
    if (this.jsonEdited) {
      try {
        return JSON.parse(this.json.value);
      } catch (error) {
        this.show("refused", `not JSON: ${error.message}`);
        return null;
      }
    }
    const { payload, problems } = this.fromFields();
    if (problems.length) {
      this.show("refused", problems.join("; "));
      return null;
    }
    return payload;
  }

  submit() {
    const payload = this.payload();
    if (payload === null) return;
    this.dirty = false;
    const outside = this.entry.payload ? checkAgainst(this.entry.payload, payload) : [];
    this.onSend(this, payload, outside);
  }

  // Fills the fields named in `values` (nested objects or dotted keys) unless
  // the user is editing them; `force` fills them anyway.
  fill(values, force = false) {
    if (!this.fields.length || (this.dirty && !force)) return;
    const flat = flatten(values);
    for (const field of this.fields) {
      if (field.path in flat) field.write(flat[field.path]);
    }
    this.syncJson();
  }

  has(path) {
    return this.fields.some((field) => field.path === path);
  }

  focus() {
    const first = this.fields[0]?.input ?? this.button;
    first.focus();
    this.element.scrollIntoView({ block: "nearest" });
  }

  show(state, text) {
    this.result.className = `result ${state}`;
    this.result.textContent = text;
    this.result.title = text;
  }
}
