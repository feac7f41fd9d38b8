// Walks a document and the frames it can reach: link addresses in document
// order, then the frames in order, depth first, at most maxDepth levels down.
// A frame it may not read keeps its place as a slot whose frame element is
// kept for a walk of its own (globalThis.__tallyvaneKept). With maxLinks of 0
// or more, only that many different addresses (a "%20" read as a blank, as
// the list does) are collected; the walk then stops and says it was cut.
((maxDepth, maxLinks) => {
  const kept = [];
  const seen = maxLinks >= 0 ? new Set() : null;
  let cut = false;
  const walk = (w, d, depth) => {
    const links = [];
    const frames = [];
    const all = d.links;
    for (let i = 0; i < all.length && !cut; i++) {
      const h = all[i].href;
      if (typeof h !== 'string') continue;
      if (seen) {
        const key = h.split('%20').join(' ');
        if (seen.has(key)) continue;
        if (seen.size >= maxLinks) { cut = true; break; }
        seen.add(key);
      }
      links.push(h);
    }
    let n = 0;
    try { n = w.frames.length; } catch (e) {}
    for (let i = 0; i < n && !cut; i++) {
      let fw = null, fd = null;
      try { fw = w.frames[i]; fd = fw.document; } catch (e) { fd = null; }
      if (fd && depth < maxDepth) { frames.push(walk(fw, fd, depth + 1)); continue; }
      let owner = null;
      for (const o of d.querySelectorAll('iframe,frame')) {
        if (o.contentWindow === fw) { owner = o; break; }
      }
      kept.push(owner);
      frames.push({slot: kept.length - 1});
    }
    return {url: d.URL, type: d.contentType, links, frames};
  };
  globalThis.__tallyvaneKept = kept;
  const root = walk(window, document, 0);
  root.cut = cut;
  root.collected = seen ? seen.size : -1;
  return root;
})
