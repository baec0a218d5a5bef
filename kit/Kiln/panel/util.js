// Small helpers of the page: elements, names, and a check of a value against
// the schema keywords the catalogue uses.

export function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === false || value === undefined || value === null) continue;
    if (name === "checked" || name === "value") node[name] = value;
    else node.setAttribute(name, value === true ? "" : String(value));
  }
  for (const child of children) {
    if (child !== null && child !== undefined && child !== false) node.append(child);
  }
  return node;
}

// "Core.Firewall.UpdateTrafficController" -> "Update traffic controller".
export function shortName(name) {
  const last = name.replace(/^Core\.(Firewall\.|Protection\.)?(Component\.)?/, "");
  return last.replace(/([a-z])([A-Z])/g, "$1 $2").replace(/([A-Z]+)([A-Z][a-z])/g, "$1 $2")
    .replace(/ [A-Z](?=[a-z])/g, (word) => word.toLowerCase());
}

export function clock() {
  return new Date().toTimeString().slice(0, 8);
}

export function parseJson(text) {
  try {
    return JSON.parse(text);
  } catch {
    return undefined;
  }
}

function typeOf(value) {
  if (value === null) return "null";
  if (Array.isArray(value)) return "array";
  if (Number.isInteger(value)) return "integer";
  return typeof value;
}

// What keeps `value` from fitting `schema`: a list of short texts, empty when it fits.
export function checkAgainst(schema, value, where = "payload") {
  const type = typeOf(value);
  const wanted = schema.type;
  if (wanted && !(wanted === type || (wanted === "number" && type === "integer"))) return [`${where} is not ${wanted === "integer" ? "a whole number" : `a ${wanted}`}`];
  const problems = [];
  if (type === "object") {
    for (const key of schema.required || []) {
      if (!(key in value)) problems.push(`${key} is missing`);
    }
    for (const [key, sub] of Object.entries(schema.properties || {})) {
      if (key in value) problems.push(...checkAgainst(sub, value[key], key));
    }
    return problems;
  }
  if (schema.enum && !schema.enum.includes(value)) problems.push(`${where} is none of ${schema.enum.join(", ")}`);
  if (schema.minimum !== undefined && value < schema.minimum) problems.push(`${where} is below ${schema.minimum}`);
  if (schema.maximum !== undefined && value > schema.maximum) problems.push(`${where} is above ${schema.maximum}`);
  if (schema.pattern && !new RegExp(schema.pattern, "u").test(value)) problems.push(`${where} does not match ${schema.pattern}`);
  return problems;
}
