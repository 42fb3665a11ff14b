  // The movie an OBJECT element's player plays: its "movie" parameter, else its "src" parameter,
  // else its data attribute, as written. One rule for the scan and the players in pages.
  function objectMovie(object) {
    let movie = "";
    let src = "";
    for (const child of object.children) {
      if (child.localName !== "param") {
        continue;
      }
      const name = (child.getAttribute("name") || "").toLowerCase();
      const value = child.getAttribute("value") || "";
      if (name === "movie" && !movie) {
        movie = value;
      } else if (name === "src" && !src) {
        src = value;
      }
    }
    return movie || src || object.getAttribute("data") || "";
  }
