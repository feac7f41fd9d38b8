// Walks a document and the frames it can reach. Within a document the order
// is shadow-including tree order: an element, then its open shadow tree, then
// its children. Each link's address comes with its text; with `media`, the
// addresses of images, sources, videos, audio and their lazy-loading
// attributes come too (a srcset travels as {s} and is chosen by the caller).
// To keep the answer small, an address of the document's own origin travels
// as its path (it starts with "/", which no absolute address does) and the
// texts as one string, each ended by a NUL (a NUL in a text becomes a blank).
// Then the frames in order, depth first, at most maxDepth levels down. A
// frame it may not read keeps its place as a slot whose frame element is kept
// for a walk of its own (globalThis.__tallyvaneKept). With maxLinks of 0 or
// more, only that many different addresses (a "%20" read as a blank, as the
// list does) are collected; the walk then stops and says it was cut. Past
// budgetMs, or below MaxShadow nested shadow trees, it stops and says so.
((maxDepth, maxLinks, media, budgetMs) => {
  // Texts and srcsets share one budget of characters so that the answer
  // stays far below the connection's bound whatever the page holds.
  const MaxText = 2000, MaxSrcset = 65536, MinSrcset = 1024, MaxShadow = 200;
  let charsLeft = 16 * 1024 * 1024;
  const kept = [];
  const seen = maxLinks >= 0 ? new Set() : null;
  const deadline = performance.now() + budgetMs;
  let cut = false, unfinished = false, ticks = 0;
  const visible = /\S/;
  // innerText lays text out; an anchor of plain text shows its textContent
  // (the caller collapses whitespace), at a fraction of the cost.
  const textOf = (el) => {
    let t = el.localName !== 'a' ? '' : el.childElementCount === 0 ? el.textContent : el.innerText;
    if (!visible.test(t)) t = el.getAttribute('title') || '';
    if (!visible.test(t)) {
      const img = el.localName === 'a' ? el.querySelector('img[alt]') : el;
      t = (img && img.getAttribute('alt')) || '';
    }
    if (t.length > MaxText) t = t.trimStart().slice(0, MaxText);
    if (t.length > charsLeft) t = '';
    charsLeft -= t.length;
    return t.indexOf('\0') < 0 ? t : t.replace(/\0/g, ' ');
  };
  const walk = (w, d, depth) => {
    const links = [];
    const texts = [];
    const frames = [];
    // An address once; false when the limit is reached.
    const fresh = (key) => {
      if (!seen) return true;
      if (seen.has(key)) return false;
      if (seen.size >= maxLinks) { cut = true; return false; }
      seen.add(key);
      return true;
    };
    const addUrl = (u) => {
      if (!u || /^(data|blob):/i.test(u)) return;
      if (fresh(u.split('%20').join(' '))) { links.push(u); texts.push(''); }
    };
    const addAttr = (el, name) => {
      const v = el.getAttribute(name);
      if (!v || !visible.test(v)) return;
      try { addUrl(new URL(v.trim(), d.baseURI).href); } catch (e) {}
    };
    const addSrcset = (v) => {
      if (!v || !visible.test(v)) return;
      const room = Math.max(MinSrcset, Math.min(MaxSrcset, charsLeft));
      if (v.length > room) v = v.slice(0, Math.max(0, v.lastIndexOf(',', room)));
      charsLeft = Math.max(0, charsLeft - v.length);
      if (fresh('srcset ' + v)) { links.push({s: v}); texts.push(''); }
    };
    const addMedia = (el, name) => {
      if (name === 'img') {
        if (el.currentSrc) addUrl(el.currentSrc);
        else if (el.getAttribute('srcset')) addSrcset(el.getAttribute('srcset'));
        else if (el.hasAttribute('src')) addUrl(el.src);
      } else if (name === 'source') {
        const p = el.parentElement ? el.parentElement.localName : '';
        if (p === 'picture') addSrcset(el.getAttribute('srcset'));
        else if ((p === 'video' || p === 'audio') && el.hasAttribute('src')) addUrl(el.src);
      } else if (name === 'video' || name === 'audio') {
        if (el.hasAttribute('src')) addUrl(el.src);
        if (name === 'video' && el.hasAttribute('poster')) addUrl(el.poster);
      }
      if (el.hasAttribute('data-src')) addAttr(el, 'data-src');
      if (el.hasAttribute('data-srcset')) addSrcset(el.getAttribute('data-srcset'));
      if (el.hasAttribute('data-original')) addAttr(el, 'data-original');
      if (el.hasAttribute('data-lazy-src')) addAttr(el, 'data-lazy-src');
    };
    const own = /^https?:/.test(d.URL) ? d.location.origin + '/' : '\0';
    const tree = (root, level) => {
      const it = d.createTreeWalker(root, NodeFilter.SHOW_ELEMENT);
      for (let el = it.nextNode(); el && !cut && !unfinished; el = it.nextNode()) {
        if ((++ticks & 1023) === 0 && performance.now() > deadline) { unfinished = true; break; }
        const name = el.localName;
        if ((name === 'a' || name === 'area') && el.hasAttribute('href')) {
          const h = el.href;
          if (typeof h === 'string' && fresh(seen ? h.split('%20').join(' ') : h)) {
            links.push(h.startsWith(own) ? h.slice(own.length - 1) : h);
            texts.push(textOf(el));
          }
        } else if (media) {
          addMedia(el, name);
        }
        const sr = el.shadowRoot;
        if (sr) {
          if (level < MaxShadow) tree(sr, level + 1);
          else unfinished = true;
        }
      }
    };
    tree(d, 0);
    let n = 0;
    try { n = w.frames.length; } catch (e) {}
    for (let i = 0; i < n && !cut && !unfinished; i++) {
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
    texts.push('');
    return {url: d.URL, type: d.contentType, base: d.baseURI, origin: own.slice(0, -1), links, texts: texts.join('\0'), frames};
  };
  globalThis.__tallyvaneKept = kept;
  const root = walk(window, document, 0);
  root.cut = cut;
  root.unfinished = unfinished;
  root.collected = seen ? seen.size : -1;
  return root;
})
