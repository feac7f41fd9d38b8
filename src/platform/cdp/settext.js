// Sets innerText of the element called `name` in the document, or in the
// first frame's; "remote" when that frame is another origin's, whose element
// is then kept for a call in the frame's own world.
function (name, text, inFirstFrame) {
  const set = (d) => {
    let el = d.all.namedItem(name);
    if (el && el.nodeType !== 1) el = el[0];
    if (!el) return 'missing';
    el.innerText = text;
    return 'set';
  };
  if (!inFirstFrame) return set(document);
  const w = window.frames[0];
  if (!w) return 'missing';
  let d = null;
  try { d = w.document; } catch (e) {}
  if (d) return set(d);
  let owner = null;
  for (const o of document.querySelectorAll('iframe,frame')) {
    if (o.contentWindow === w) { owner = o; break; }
  }
  globalThis.__tallyvaneKept = [owner];
  return 'remote';
}
