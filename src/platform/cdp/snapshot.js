// Walks a document and the frames it can reach: link addresses in document
// order, then the frames in order, depth first, at most maxDepth levels down.
// A frame it may not read keeps its place as a slot whose frame element is
// kept for a walk of its own (globalThis.__tallyvaneKept).
((maxDepth) => {
  const kept = [];
  const walk = (w, d, depth) => {
    const links = [];
    const all = d.links;
    for (let i = 0; i < all.length; i++) {
      const h = all[i].href;
      if (typeof h === 'string') links.push(h);
    }
    const frames = [];
    let n = 0;
    try { n = w.frames.length; } catch (e) {}
    for (let i = 0; i < n; i++) {
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
  return walk(window, document, 0);
})
