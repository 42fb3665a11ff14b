// Injected into every frame of every page, in an isolated world the page cannot see. Each frame
// describes only its own document, straight to the program over the console of this world:
// pages can read neither that console nor this script's source, and every line carries a secret
// that the program writes into the source below, so no page can forge one. Between frames only
// the public "report now for scan N" trigger travels; no frame content ever does.
(function () {
    'use strict';
    if (window.__vimbrelSnapshot) {
        return;
    }
    const SECRET = '@SNAPSHOT_SECRET@';
    const TRIGGER = 'vimbrel-report-now';
    const CHUNK = 1 << 20;  // characters per console line
    const reported = new Set();

    function attr(el, name) {
        const value = el.getAttribute(name);
        return value === null ? '' : value;
    }

    /* @FLASH_ELEMENT@ */

    // Script text in attributes: event handlers, and javascript: links (decoded as the engine
    // decodes them before running them).
    function handlerScripts(doc) {
        const out = [];
        for (const el of doc.getElementsByTagName('*')) {
            for (const a of el.attributes) {
                if (a.name.startsWith('on')) {
                    out.push(a.value);
                }
            }
        }
        for (const link of doc.querySelectorAll('a[href], area[href]')) {
            const href = attr(link, 'href').trim();
            if (/^javascript:/i.test(href)) {
                try {
                    out.push(decodeURIComponent(href.slice(11)));
                } catch (e) {
                    out.push(href.slice(11));
                }
            }
        }
        return out;
    }

    // What only the deep scan reads: links, external scripts (by the address the engine
    // fetched), script in attributes, the player's own elements, flashvars, data-*.
    function describeDeep(doc, d) {
        d.links = Array.from(doc.querySelectorAll('a[href], area[href]'), (e) => attr(e, 'href'));
        d.scriptSources = Array.from(doc.querySelectorAll('script[src]'), (s) => s.src);
        d.handlers = handlerScripts(doc);
        d.embedLike = Array.from(doc.getElementsByTagName('ruffle-embed'), (e) => attr(e, 'src'))
            .concat(Array.from(doc.getElementsByTagName('ruffle-object'), objectMovie));
        d.flashVars = Array.from(doc.getElementsByTagName('param'))
            .filter((p) => attr(p, 'name').toLowerCase() === 'flashvars')
            .map((p) => attr(p, 'value'))
            .concat(Array.from(doc.querySelectorAll('[flashvars]'), (e) => attr(e, 'flashvars')));
        d.dataValues = [];
        for (const el of doc.getElementsByTagName('*')) {
            for (const a of el.attributes) {
                if (a.name.startsWith('data-') && a.value.toLowerCase().includes('.swf')) {
                    d.dataValues.push(a.value);
                }
            }
        }
        return d;
    }

    function describe(doc, deep) {
        if (doc.URL.startsWith('chrome-error:')) {
            // A frame that failed to load shows the engine's error page: no document.
            return {absent: true};
        }
        const d = {
            url: doc.URL,
            base: doc.baseURI,
            objects: Array.from(doc.getElementsByTagName('object'), (o) => ({
                codeBase: attr(o, 'codebase'),
                classId: attr(o, 'classid'),
                type: attr(o, 'type'),
                movie: objectMovie(o),
            })),
            embeds: Array.from(doc.getElementsByTagName('embed'), (e) => attr(e, 'src')),
            scripts: Array.from(doc.getElementsByTagName('script'), (s) => s.text),
        };
        return deep ? describeDeep(doc, d) : d;
    }

    // This frame's indices from the top, read through the cross-origin-readable parent chain.
    function pathFromTop() {
        const path = [];
        for (let w = window; w !== w.parent; w = w.parent) {
            const parent = w.parent;
            let i = 0;
            while (i < parent.length && parent[i] !== w) {
                ++i;
            }
            if (i === parent.length) {
                return null;  // detached while we looked
            }
            path.unshift(i);
        }
        return path;
    }

    // The windows of the frames that play a document's movies, where the document can be read:
    // the program's own, not the page's.
    function playerFrames(w) {
        try {
            return new Set(Array.from(w.document.querySelectorAll('iframe[data-flash-movie]'),
                                      (f) => f.contentWindow));
        } catch (e) {
            return new Set();  // another origin's document
        }
    }

    // Every frame below w, depth first in the order the documents hold them.
    function framePaths(w, prefix, out) {
        const players = playerFrames(w);
        for (let i = 0; i < w.length; ++i) {
            if (players.has(w[i])) {
                continue;
            }
            const path = prefix.concat([i]);
            out.push(path);
            framePaths(w[i], path, out);
        }
    }

    function send(scan, path, body) {
        const head = SECRET + ' ' + scan + ' /' + path.join('/') + ' ';
        const parts = [];
        for (let at = 0; at < body.length || parts.length === 0;) {
            let end = Math.min(body.length, at + CHUNK);
            const last = body.charCodeAt(end - 1);
            if (end < body.length && last >= 0xd800 && last <= 0xdbff) {
                --end;  // keep a surrogate pair on one line
            }
            parts.push(body.slice(at, end));
            at = end;
        }
        parts.forEach((part, k) => console.log(head + k + '/' + parts.length + ' ' + part));
    }

    function report(scan, deep, extra) {
        if (reported.has(scan)) {
            return;
        }
        reported.add(scan);
        const path = pathFromTop();
        if (path) {
            send(scan, path, JSON.stringify(Object.assign(describe(document, deep), extra)));
        }
    }

    // Registered before any page script, in the capture phase, so a page cannot hold it back.
    window.addEventListener('message', (event) => {
        const data = event.data;
        if (data && typeof data === 'object' && typeof data[TRIGGER] === 'string' &&
            /^[0-9a-f]{1,64}$/.test(data[TRIGGER])) {
            report(data[TRIGGER], data.deep === true, {});
        }
    }, true);

    window.__vimbrelSnapshot = {
        // Called by the program in the top document: reports it with the paths of all frames,
        // then asks every frame, at any depth, to report itself (deep: for the deep scan too).
        start: function (scan, deep) {
            const paths = [];
            framePaths(window, [], paths);
            report(scan, deep, {framePaths: paths});
            for (const path of paths) {
                let w = window;
                for (const i of path) {
                    w = w ? w[i] : null;
                }
                if (w) {
                    w.postMessage({[TRIGGER]: scan, deep: deep}, '*');
                }
            }
            return paths.length;
        },
    };
})();
