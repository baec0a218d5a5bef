// The pane of live bus traffic: every message the bridge sees, newest last,
// with a filter on names, a pause that holds new lines back, and a clear.

import { el } from "./util.js";

const KEPT = 500;

export class Traffic {
  constructor(root) {
    this.list = root.querySelector("#traffic-list");
    this.filter = root.querySelector("#traffic-filter");
    this.pause = root.querySelector("#traffic-pause");
    this.held = [];
    this.filter.addEventListener("input", () => {
      for (const item of this.list.children) item.hidden = !this.shows(item.dataset.name);
    });
    this.pause.addEventListener("click", () => {
      const paused = this.pause.getAttribute("aria-pressed") !== "true";
      this.pause.setAttribute("aria-pressed", String(paused));
      this.pause.textContent = paused ? "Resume" : "Pause";
      if (!paused) this.held.splice(0).forEach((message) => this.append(message));
    });
    root.querySelector("#traffic-clear").addEventListener("click", () => this.list.replaceChildren());
  }

  shows(name) {
    const wanted = this.filter.value.trim().toLowerCase();
    return !wanted || name.toLowerCase().includes(wanted);
  }

  add(message) {
    if (this.pause.getAttribute("aria-pressed") === "true") this.held.push(message);
    else this.append(message);
  }

  append(message) {
    const atEnd = this.list.scrollTop + this.list.clientHeight >= this.list.scrollHeight - 8;
    const item = el("li", { class: `kind-${message.kind}`, "data-name": message.name },
      el("time", {}, message.time), " ",
      el("span", { class: "badge" }, message.kind), " ",
      el("strong", {}, message.name), " ",
      el("span", { class: "sender" }, `from ${message.sender}`),
      el("code", {}, message.payload || "(empty)"));
    item.hidden = !this.shows(message.name);
    this.list.append(item);
    while (this.list.children.length > KEPT) this.list.firstElementChild.remove();
    if (atEnd) this.list.scrollTop = this.list.scrollHeight;
  }
}
