// Injected into every frame of every page, in an isolated world the page cannot see. On request
// it describes the document and, depth first, its frame documents: same-origin frames are read
// directly, cross-origin frames are asked by message and answer their parent the same way.
(function () {
    'use strict';
    if (window.__vimbrelSnapshot) {
        return;
    }
    const REQUEST = 'vimbrel-snapshot-request';
    const REPLY = 'vimbrel-snapshot-reply';
    const FRAME_MARGIN_MS = 200;  // each level answers before its parent gives up on it
    const waiting = new Map();    // token -> {win, callback}
    const results = new Map();    // request id -> JSON text, or null while collecting
    let counter = 0;

    function attr(el, name) {
        const value = el.getAttribute(name);
        return value === null ? '' : value;
    }

    // The movie an OBJECT's player plays: the movie param, else the src param, else data.
    function objectMovie(object) {
        let movie = '';
        let src = '';
        for (const param of object.querySelectorAll(':scope > param')) {
            const name = attr(param, 'name').toLowerCase();
            if (name === 'movie' && !movie) {
                movie = attr(param, 'value');
            } else if (name === 'src' && !src) {
                src = attr(param, 'value');
            }
        }
        return movie || src || attr(object, 'data');
    }

    function ownData(doc) {
        return {
            url: doc.URL,
            objects: Array.from(doc.getElementsByTagName('object'), (o) => ({
                codeBase: attr(o, 'codebase'),
                classId: attr(o, 'classid'),
                type: attr(o, 'type'),
                movie: objectMovie(o),
            })),
            embeds: Array.from(doc.getElementsByTagName('embed'), (e) => attr(e, 'src')),
            scripts: Array.from(doc.getElementsByTagName('script'), (s) => s.text),
            frames: [],
        };
    }

    function askFrame(win, budget, callback) {
        const token = Math.random().toString(36).slice(2) + '-' + (++counter);
        waiting.set(token, {win: win, callback: callback});
        win.postMessage({[REQUEST]: token, budget: budget}, '*');
    }

    // Describes doc and its frames, then calls done once. Frames that do not answer within
    // budget milliseconds are left out.
    function collect(doc, budget, done) {
        const tree = ownData(doc);
        const frames = Array.from(doc.querySelectorAll('iframe, frame'));
        const slots = frames.map(() => undefined);
        let pending = frames.length;
        let finished = false;
        let timer = null;
        const finish = () => {
            if (finished) {
                return;
            }
            finished = true;
            clearTimeout(timer);
            tree.frames = slots.filter((s) => s);
            done(tree);
        };
        const settle = (i, data) => {
            if (finished || slots[i] !== undefined) {
                return;
            }
            slots[i] = data || null;
            if (--pending === 0) {
                finish();
            }
        };
        if (pending === 0) {
            finish();
            return;
        }
        timer = setTimeout(finish, Math.max(0, budget));
        const childBudget = budget - FRAME_MARGIN_MS;
        frames.forEach((frame, i) => {
            let childDoc = null;
            try {
                childDoc = frame.contentDocument;
            } catch (e) {
                childDoc = null;
            }
            if (childDoc) {
                collect(childDoc, childBudget, (data) => settle(i, data));
            } else if (frame.contentWindow && childBudget > 0) {
                askFrame(frame.contentWindow, childBudget, (data) => settle(i, data));
            } else {
                settle(i, null);
            }
        });
    }

    window.addEventListener('message', (event) => {
        const data = event.data;
        if (!data || typeof data !== 'object') {
            return;
        }
        if (typeof data[REQUEST] === 'string' && window.parent !== window &&
            event.source === window.parent) {
            const token = data[REQUEST];
            if (document.URL.startsWith('chrome-error:')) {
                // A frame that failed to load shows the engine's error page: no document.
                window.parent.postMessage({[REPLY]: token, tree: 'null'}, '*');
                return;
            }
            collect(document, Number(data.budget) || 0, (tree) => {
                window.parent.postMessage({[REPLY]: token, tree: JSON.stringify(tree)}, '*');
            });
        } else if (typeof data[REPLY] === 'string' && waiting.has(data[REPLY])) {
            const asked = waiting.get(data[REPLY]);
            if (event.source !== asked.win) {
                return;
            }
            waiting.delete(data[REPLY]);
            let tree = null;
            try {
                tree = JSON.parse(data.tree);
            } catch (e) {
                tree = null;
            }
            asked.callback(tree);
        }
    });

    window.__vimbrelSnapshot = {
        // Starts describing the page; returns the id to take the result with.
        start: function (budget) {
            const id = ++counter;
            results.set(id, null);
            collect(document, budget, (tree) => results.set(id, JSON.stringify(tree)));
            return id;
        },
        // The result once ready, null while collecting, '' for an unknown id.
        take: function (id) {
            if (!results.has(id)) {
                return '';
            }
            const result = results.get(id);
            if (result !== null) {
                results.delete(id);
            }
            return result;
        },
    };
})();
