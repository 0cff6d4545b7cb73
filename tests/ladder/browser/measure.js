// Added by the browser check to a copy of a report, never to a report
// itself: opens every band, then reads back from the laid-out page what
// each diagram draws and where, and leaves it as JSON in <pre id="measured">.
(function () {
    "use strict";
    for (const details of document.querySelectorAll("details")) {
        details.open = true;
    }
    // Lines have no height or width of their own; a stroke gives them one.
    function box(element) {
        const r = element.getBoundingClientRect();
        return {
            x: r.left + window.scrollX, y: r.top + window.scrollY,
            w: Math.max(r.width, 1), h: Math.max(r.height, 1), shown: r.width > 0 || r.height > 0,
        };
    }
    function overlap(a, b) {
        const w = Math.min(a.x + a.w, b.x + b.w) - Math.max(a.x, b.x);
        const h = Math.min(a.y + a.h, b.y + b.h) - Math.max(a.y, b.y);
        return w > 0.5 && h > 0.5;
    }
    const result = {diagrams: [], findings: [], overlaps: []};
    for (const section of document.querySelectorAll("section.diagram")) {
        const texts = [];
        for (const text of section.querySelectorAll("svg text")) {
            const b = box(text);
            if (getComputedStyle(text).display !== "none" && b.shown) {
                texts.push({box: b, text: text.textContent});
            }
        }
        const lines = [];
        for (const line of section.querySelectorAll(".shaft, .tip, .bar, .pair, .dot")) {
            lines.push(box(line));
        }
        texts.sort((a, b) => a.box.y - b.box.y);
        for (let i = 0; i < texts.length; ++i) {
            for (let j = i + 1; j < texts.length && texts[j].box.y < texts[i].box.y + texts[i].box.h; ++j) {
                if (overlap(texts[i].box, texts[j].box)) {
                    result.overlaps.push(section.id + ": '" + texts[i].text + "' and '" + texts[j].text + "'");
                }
            }
            for (const line of lines) {
                if (overlap(texts[i].box, line)) {
                    result.overlaps.push(section.id + ": '" + texts[i].text + "' lies on a line at " +
                                         Math.round(line.x) + "," + Math.round(line.y));
                }
            }
        }
        result.diagrams.push({
            id: section.id,
            arrows: Array.from(section.querySelectorAll("a.msg"), (a) => a.id),
            texts: texts.length,
        });
    }
    for (const item of document.querySelectorAll("li.finding")) {
        const link = item.querySelector("a");
        const target = link ? document.getElementById(link.getAttribute("href").slice(1)) : null;
        result.findings.push({
            arrow: target ? target.id : null,
            classes: target ? target.getAttribute("class") : "",
            marks: target ? Array.from(target.querySelectorAll("text.mark"), (t) => t.getAttribute("class")) : [],
        });
    }
    const out = document.createElement("pre");
    out.id = "measured";
    out.textContent = JSON.stringify(result);
    document.body.appendChild(out);
})();
