// What a feature group shows of the module: the latest payload of each of its
// answers, and the lists the component publishes for it, each row with Edit
// and Delete through the group's own forms. Answers also fill the group's
// forms, so that an update form starts from what the module last said.

import { el, shortName, parseJson } from "./util.js";

const CHANGE_RESULT = "Core.Firewall.NotifyCUDResult";

// Where a list row names a member differently from the requests (the kit
// component's list format); a member of the same name needs no entry.
const ROW_ALIASES = {
  file: "program_filename",
  scope: "access",
  ip_type: "IPType",
  start: "StartAddress",
  end: "EndAddress",
  expires_in: "ExpiresIn",
  network_type: "openportsto",
  tcp_local: "portinfo.tcp_local",
  udp_local: "portinfo.udp_local",
  forward_activity: "forwardactivity",
};

// Members whose plain value says less than a reading of it.
const READINGS = {
  "Core.Firewall.RestoreDefaultsBtnStatus": {
    Enable: (value) => ["at defaults", value ? "no (restoring is offered)" : "yes"],
  },
};

function valueNode(value) {
  if (typeof value === "boolean") return el("span", { class: `flag ${value}` }, String(value));
  if (value === "on" || value === "off") return el("span", { class: `flag ${value}` }, value);
  if (value !== null && typeof value === "object") return describe(value);
  return el("span", {}, value === "" ? "(empty)" : String(value));
}

function describe(object, readings = {}) {
  const list = el("dl");
  for (const [key, value] of Object.entries(object)) {
    const reading = readings[key]?.(value);
    list.append(el("dt", {}, reading ? reading[0] : key), el("dd", {}, reading ? reading[1] : valueNode(value)));
  }
  return list;
}

export function answerNames(entry) {
  return entry.answers.map((answer) => answer.name);
}

export class GroupView {
  constructor(entries, forms) {
    this.forms = forms;
    const answers = new Set(entries.flatMap(answerNames).filter((name) => name !== CHANGE_RESULT));
    this.lists = new Set(entries.flatMap((entry) => entry.component_messages || []));
    this.slots = new Map();
    this.element = el("div", { class: "current" });
    for (const name of [...answers, ...this.lists]) {
      const slot = el("div", { class: this.lists.has(name) ? "list" : "answer", "data-message": name },
        el("h3", {}, shortName(name)), el("p", { class: "none" }, "nothing heard yet"));
      this.slots.set(name, slot);
      this.element.append(slot);
    }
  }

  names() {
    return [...this.slots.keys()];
  }

  update(message) {
    const slot = this.slots.get(message.name);
    const payload = parseJson(message.payload);
    const heading = el("h3", {}, shortName(message.name), " ",
      el("small", {}, `${message.sender}, ${message.time.slice(0, 8)}`));
    if (payload === undefined || payload === null || typeof payload !== "object") {
      slot.replaceChildren(heading, el("pre", {}, message.payload));
    } else if (this.lists.has(message.name)) {
      slot.replaceChildren(heading, ...this.listParts(payload));
    } else {
      slot.replaceChildren(heading, describe(payload, READINGS[message.name]));
      for (const form of this.forms) form.fill(payload);
    }
  }

  listParts(payload) {
    const scalars = {};
    const parts = [];
    for (const [key, value] of Object.entries(payload)) {
      if (Array.isArray(value)) parts.push(this.table(key, value));
      else scalars[key] = value;
    }
    if (Object.keys(scalars).length) parts.unshift(describe(scalars));
    return parts;
  }

  table(name, rows) {
    const columns = [...new Set(rows.flatMap((row) => Object.keys(row)))];
    const edit = this.editForm(columns);
    const remove = this.forms.find((form) => form.fields.length === 1 && form.fields[0].schema.pattern);
    const head = el("tr", {}, ...columns.map((column) => el("th", { scope: "col" }, column)),
      edit || remove ? el("th", { scope: "col" }, el("span", { class: "hidden" }, "actions")) : null);
    const body = rows.map((row) => el("tr", { "data-id": row.id },
      ...columns.map((column) => el("td", {}, row[column] === undefined || row[column] === "" ? "" : valueNode(row[column]))),
      edit || remove ? el("td", { class: "row-actions" },
        edit ? this.button("Edit", `${name} ${row.id}`, () => this.editRow(edit, row)) : null,
        remove ? this.button("Delete", `${name} ${row.id}`, () => {
          remove.fill({ [remove.fields[0].path]: String(row.id) }, true);
          remove.submit();
        }) : null) : null));
    if (!rows.length) body.push(el("tr", {}, el("td", { colspan: Math.max(1, columns.length) }, "(none)")));
    return el("table", {}, el("caption", {}, `${name}: ${rows.length}`), el("thead", {}, head), el("tbody", {}, ...body));
  }

  button(text, what, action) {
    const button = el("button", { type: "button", class: "small", "aria-label": `${text} ${what}` }, text);
    button.addEventListener("click", action);
    return button;
  }

  // The form that edits a row: an id member besides members the row carries.
  editForm(columns) {
    let best = null;
    let bestShared = 0;
    for (const form of this.forms) {
      const id = form.fields.find((field) => field.schema.type === "integer" && /id$/i.test(field.path));
      if (!id) continue;
      const shared = columns.filter((column) => column !== "id" && this.target(form, column)).length;
      if (shared > bestShared) {
        best = form;
        bestShared = shared;
      }
    }
    return best;
  }

  target(form, column) {
    if (form.has(column)) return column;
    return form.has(ROW_ALIASES[column]) ? ROW_ALIASES[column] : null;
  }

  editRow(form, row) {
    const id = form.fields.find((field) => field.schema.type === "integer" && /id$/i.test(field.path));
    const values = { [id.path]: row.id };
    for (const [column, value] of Object.entries(row)) {
      const target = column === "id" ? null : this.target(form, column);
      if (target) values[target] = value;
    }
    form.fill(values, true);
    form.dirty = true;
    form.focus();
  }
}
