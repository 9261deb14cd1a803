"use strict";
// The page itself comes with the browser page's own change; until then this
// only shows whether the live connection is up.
(function () {
  const status = document.getElementById("status");
  function connect() {
    const ws = new WebSocket("ws://" + location.host + "/live");
    ws.onopen = () => { status.textContent = "Connected"; };
    ws.onclose = () => { status.textContent = "Not connected"; setTimeout(connect, 2000); };
  }
  connect();
})();
