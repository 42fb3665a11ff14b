// Plays the Flash movies of an http(s) page in place, as the plugin did. Runs in the page's own
// world before its scripts, in every frame. The page's OBJECT and EMBED elements stay where the
// page wrote them, hidden, and a frame of the program's player (PLAYER_FRAME) takes each one's
// place once it is in or near the view, up to a cap for the page and all its frames together
// (a frame asks the top document for each player). The frame is of another origin: the program
// fetches the movie and its loads there, wherever they are served from, and the page reads
// nothing of them.
(function () {
  "use strict";
  if (!/^https?:$/.test(location.protocol)) {
    return;
  }
  const playerFrame = "PLAYER_FRAME";
  const flashTypes = ["application/x-shockwave-flash", "application/futuresplash"];
  const flashClassId = "d27cdb6e-ae6d-11cf-96b8-444553540000";
  const playerDomain = "macromedia.com";
  const maxPlayers = 64;  // for the page and all its frames
  const ticketAsk = "vimbrel-player-ticket";
  const ticketAnswer = "vimbrel-player-granted";
  const seen = new WeakSet();
  const playing = new Map();  // the page's element -> the player in its place
  let players = 0;
  let pageHasItsOwn = false;

  /* @FLASH_ELEMENT@ */

  // Pages look for the plugin before they write their movie.
  function announcePlugin() {
    const plugin = {
      name: "Shockwave Flash",
      description: "Shockwave Flash 32.0 r0",
      filename: "libpepflashplayer.so",
      version: "32.0.0.465",
    };
    const types = [
      {type: flashTypes[0], suffixes: "swf", description: "Shockwave Flash"},
      {type: flashTypes[1], suffixes: "spl", description: "FutureSplash Player"},
    ];
    types.forEach((t, i) => {
      t.enabledPlugin = plugin;
      plugin[i] = t;
      plugin[t.type] = t;
    });
    plugin.length = types.length;
    plugin.item = (i) => plugin[i] || null;
    plugin.namedItem = (n) => plugin[n] || null;
    function listOf(real, added, key) {
      const all = Array.from(real).concat(added);
      const list = {length: all.length, refresh() {}};
      list.item = (i) => all[i] || null;
      list.namedItem = (n) => list[n] || null;
      list[Symbol.iterator] = () => all[Symbol.iterator]();
      all.forEach((e, i) => {
        list[i] = e;
        if (!(e[key] in list)) {
          list[e[key]] = e;
        }
      });
      return list;
    }
    // Built when the page first asks: reading the engine's own lists costs a page that never
    // does.
    function lazily(name, added, key) {
      const real = Object.getOwnPropertyDescriptor(Navigator.prototype, name).get;
      let list = null;
      Object.defineProperty(navigator, name, {
        get: () => list || (list = listOf(real.call(navigator), added, key)),
        configurable: true,
      });
    }
    lazily("plugins", [plugin], "name");
    lazily("mimeTypes", types, "type");
  }

  function paramsOf(object) {
    const params = {};
    for (const child of object.children) {
      if (child.localName === "param" && child.hasAttribute("name")) {
        params[child.getAttribute("name").toLowerCase()] = child.getAttribute("value") || "";
      }
    }
    return params;
  }

  function looksLikeMovie(address) {
    return /\.(swf|spl)([?#]|$)/i.test(address || "");
  }

  // The movie an OBJECT or EMBED element plays, with its parameters; null when it plays none.
  function movieOf(element) {
    const type = (element.getAttribute("type") || "").toLowerCase();
    let params = {};
    let address;
    let flash;
    if (element.localName === "embed") {
      address = element.getAttribute("src");
      for (const attribute of element.attributes) {
        params[attribute.name.toLowerCase()] = attribute.value;
      }
      flash = type ? flashTypes.includes(type) : looksLikeMovie(address);
    } else {
      params = paramsOf(element);
      for (const name of ["flashvars", "play", "base"]) {
        if (element.hasAttribute(name)) {
          params[name] = element.getAttribute(name);
        }
      }
      // The movie the scan lists for the element is the one that plays.
      address = objectMovie(element);
      const classId = (element.getAttribute("classid") || "").trim().toLowerCase();
      const codeBase = (element.getAttribute("codebase") || "").toLowerCase();
      flash = classId.replace(/^clsid:/, "") === flashClassId || codeBase.includes(playerDomain) ||
          (type ? flashTypes.includes(type) : looksLikeMovie(address));
    }
    if (!flash || !address) {
      return null;
    }
    try {
      return {url: new URL(address, document.baseURI).href, params};
    } catch (e) {
      return null;
    }
  }

  function insideAnotherMovie(element) {
    for (let up = element.parentElement; up; up = up.parentElement) {
      if ((up.localName === "object" || up.localName === "embed") && movieOf(up)) {
        return true;
      }
    }
    return false;
  }

  // Players start once the page has loaded and gone idle: the page and its scan first.
  let settled = null;
  function pageSettled() {
    if (!settled) {
      settled = new Promise((resolve) => {
        const idle = () => requestIdleCallback(resolve, {timeout: 1000});
        if (document.readyState === "complete") {
          idle();
        } else {
          addEventListener("load", idle, {once: true});
        }
      });
    }
    return settled;
  }

  function size(given, measured) {
    if (given && /^\d+(\.\d+)?$/.test(given.trim())) {
      return given.trim() + "px";
    }
    if (given && /^\d+(\.\d+)?%$/.test(given.trim())) {
      return given.trim();
    }
    return measured > 0 ? measured + "px" : "";
  }

  // Whether another player may start: the top document counts them for every frame. A frame
  // asks it by message; the message carries no content, only a number to match the answer.
  let asked = 0;
  const waiting = new Map();
  function grant() {
    const granted = players < maxPlayers;
    players += granted ? 1 : 0;
    return granted;
  }
  function ticket() {
    if (window === window.top) {
      return Promise.resolve(grant());
    }
    const id = ++asked;
    return new Promise((resolve) => {
      waiting.set(id, resolve);
      setTimeout(() => waiting.delete(id) && resolve(false), 5000);
      window.top.postMessage({[ticketAsk]: id}, "*");
    });
  }
  addEventListener("message", (event) => {
    const data = event.data;
    if (!data || typeof data !== "object") {
      return;
    }
    if (window === window.top && Number.isInteger(data[ticketAsk]) && event.source) {
      event.source.postMessage({[ticketAnswer]: data[ticketAsk], granted: grant()}, "*");
    } else if (event.source === window.top && waiting.has(data[ticketAnswer])) {
      const resolve = waiting.get(data[ticketAnswer]);
      waiting.delete(data[ticketAnswer]);
      resolve(data.granted === true);
    }
  });

  function play(element) {
    if (!element.isConnected || insideAnotherMovie(element)) {
      return;
    }
    const movie = movieOf(element);
    if (!movie) {
      return;
    }
    pageSettled().then(ticket).then((granted) => {
      if (granted) {
        start(element, movie);
      }
    });
  }

  function start(element, movie) {
    if (!element.isConnected) {
      return;
    }
    const box = element.getBoundingClientRect();
    const ask = new URLSearchParams({movie: movie.url});
    const params = movie.params;
    if (params.flashvars) {
      ask.set("vars", params.flashvars);
    }
    if (params.base) {
      try {
        ask.set("base", new URL(params.base, document.baseURI).href);
      } catch (e) {
        // a base that is no address is left out, as the plugin did
      }
    }
    if ((params.play || "").toLowerCase() === "false") {
      ask.set("play", "false");
    }
    const frame = document.createElement("iframe");
    frame.src = playerFrame + "?" + ask.toString();
    frame.title = "Flash movie";
    frame.setAttribute("data-flash-movie", movie.url);
    // The page's origin, which the program needs to know whether a private movie may be fetched.
    frame.referrerPolicy = "origin";
    frame.setAttribute("sandbox", "allow-scripts allow-same-origin");
    frame.style.border = "0";
    frame.style.display = "inline-block";
    frame.style.width = size(element.getAttribute("width"), box.width) || "550px";
    frame.style.height = size(element.getAttribute("height"), box.height) || "400px";
    element.parentNode.insertBefore(frame, element);
    playing.set(element, frame);
    element.style.setProperty("display", "none", "important");
  }

  const nearTheView = new IntersectionObserver((entries) => {
    for (const entry of entries) {
      if (entry.isIntersecting) {
        nearTheView.unobserve(entry.target);
        play(entry.target);
      }
    }
  }, {rootMargin: "200px"});

  function consider(element) {
    if (!seen.has(element)) {
      seen.add(element);
      nearTheView.observe(element);
    }
  }

  function look(node) {
    if (pageHasItsOwn || node.nodeType !== 1) {
      return;
    }
    if (node.localName === "object" || node.localName === "embed") {
      consider(node);
    }
    if (node.firstElementChild) {
      node.querySelectorAll("object, embed").forEach(consider);
    }
  }

  announcePlugin();
  new MutationObserver((records) => {
    // A page that brings its own player keeps it alone.
    if (window.RufflePlayer) {
      pageHasItsOwn = true;
    }
    for (const record of records) {
      record.addedNodes.forEach(look);
    }
    // A movie the page takes away takes its player with it.
    for (const [element, player] of playing) {
      if (!element.isConnected) {
        player.remove();
        playing.delete(element);
      }
    }
  }).observe(document, {childList: true, subtree: true});
})();
