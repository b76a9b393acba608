// The browser phone's page: shows what the server streams (screen frames,
// state, event log) and sends what the person does through the JSON API.
"use strict";

const $ = (id) => document.getElementById(id);
let state = null;
let messageTimer = null;

function say(text, ok) {
  const box = $("message");
  box.textContent = text;
  box.className = ok ? "ok" : "";
  box.hidden = false;
  clearTimeout(messageTimer);
  messageTimer = setTimeout(() => { box.hidden = true; }, 4000);
}

async function post(path, body, raw) {
  try {
    const response = await fetch(path, {
      method: "POST",
      headers: { "Content-Type": raw ? "application/gpx+xml" : "application/json" },
      body: raw !== undefined ? raw : JSON.stringify(body || {}),
    });
    const answer = await response.json().catch(() => ({}));
    if (!response.ok) say(answer.error || response.statusText);
    return answer;
  } catch (e) {
    say("the phone is not answering");
    return null;
  }
}

// ---- the screen
$("screen").addEventListener("click", (event) => {
  const img = event.currentTarget;
  const rect = img.getBoundingClientRect();
  const width = state ? state.screen.width : 320, height = state ? state.screen.height : 480;
  const x = Math.floor((event.clientX - rect.left) * width / rect.width);
  const y = Math.floor((event.clientY - rect.top) * height / rect.height);
  post("/api/tap", { x: Math.min(Math.max(x, 0), width - 1), y: Math.min(Math.max(y, 0), height - 1) });
});

// ---- clock
$("pause").addEventListener("click", () => post("/api/clock", { paused: !(state && state.clock.paused) }));
document.querySelectorAll("[data-speed]").forEach((button) =>
  button.addEventListener("click", () => post("/api/clock", { speed: Number(button.dataset.speed), paused: false })));
$("quit").addEventListener("click", () => {
  if (confirm("Switch the phone off? The server stops once no picture is being saved.")) post("/api/quit");
});

// ---- motion
const amplitude = () => Number($("amplitude").value);
$("amplitude").addEventListener("input", () => { $("amplitude-value").textContent = amplitude() + " g"; });
$("amplitude").addEventListener("change", () => {
  if (state && state.motion.motion === "shake") post("/api/motion", { motion: "shake", amplitude: amplitude() });
});
$("still").addEventListener("click", () => post("/api/motion", { motion: "still" }));
$("shake").addEventListener("click", () => post("/api/motion", { motion: "shake", amplitude: amplitude() }));
document.querySelectorAll("[data-hold]").forEach((button) =>
  button.addEventListener("click", () => post("/api/motion", { hold: button.dataset.hold })));

// ---- GPS
$("walk").addEventListener("click", () => post("/api/gps/walk"));
$("gps-off").addEventListener("click", () => post("/api/gps/off"));
$("gpx-file").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  const answer = await post("/api/gps/gpx", null, await file.text());
  if (answer && answer.fixes) say(`playing ${file.name}: ${answer.fixes} fixes`, true);
  event.target.value = "";
});
$("fix-form").addEventListener("submit", (event) => {
  event.preventDefault();
  const form = new FormData(event.target);
  const fix = { lat: Number(form.get("lat")), lon: Number(form.get("lon")) };
  if (form.get("alt") !== "") fix.alt = Number(form.get("alt"));
  if (form.get("accuracy") !== "") fix.accuracy = Number(form.get("accuracy"));
  post("/api/gps/fix", fix);
});
$("error-form").addEventListener("submit", (event) => {
  event.preventDefault();
  const form = new FormData(event.target);
  post("/api/gps/error", { code: Number(form.get("code")), description: form.get("description") });
});

// ---- keys: one for each motion and hold, W walk, O GPS off, space pause
document.addEventListener("keydown", (event) => {
  if (event.target.closest("input, textarea, select") || event.ctrlKey || event.metaKey || event.altKey) return;
  if (event.key === " ") {
    event.preventDefault();
    $("pause").click();
    return;
  }
  const button = document.querySelector(`[data-key="${event.key.toLowerCase()}"]`);
  if (button) {
    event.preventDefault();
    button.click();
  }
});

// ---- showing the state
function text(value, otherwise) { return value === null || value === undefined ? otherwise : String(value); }

function showAlerts(alerts) {
  const box = $("alerts");
  box.replaceChildren();
  if (!alerts.length) return;
  const front = alerts[alerts.length - 1];
  const panel = document.createElement("div");
  panel.className = "alert";
  const title = document.createElement("p");
  title.innerHTML = "<strong></strong>";
  title.firstChild.textContent = front.title;
  panel.append(title);
  if (front.message) {
    const message = document.createElement("p");
    message.textContent = front.message;
    panel.append(message);
  }
  const buttons = document.createElement("div");
  buttons.className = "group";
  front.buttons.forEach((b, index) => {
    const button = document.createElement("button");
    button.textContent = b.title;
    button.addEventListener("click", () => post("/api/alert", { button: index }));
    buttons.append(button);
  });
  panel.append(buttons);
  box.append(panel);
}

function position(p) {
  if (p.latitude === null) return "no GPS position";
  const lat = `${Math.abs(p.latitude).toFixed(6)}° ${p.latitude < 0 ? "S" : "N"}`;
  const lon = `${Math.abs(p.longitude).toFixed(6)}° ${p.longitude < 0 ? "W" : "E"}`;
  return `${lat}, ${lon}`;
}

function showRoll(roll) {
  $("roll-count").textContent = `(${roll.length})`;
  const list = $("roll");
  const shown = list.dataset.shown || "";
  const now = JSON.stringify(roll);
  if (shown === now) return;
  list.dataset.shown = now;
  list.replaceChildren();
  roll.slice().reverse().forEach((p) => {
    const item = document.createElement("li");
    item.dataset.name = p.name;
    const thumb = document.createElement("img");
    thumb.alt = p.thumbnail ? `thumbnail of ${p.name}` : "no EXIF thumbnail";
    if (p.thumbnail) thumb.src = `${p.thumbnail}?size=${p.size}`;
    const facts = document.createElement("div");
    const name = document.createElement("div");
    name.className = "name";
    name.textContent = p.name;
    const when = document.createElement("div");
    when.className = "facts";
    when.textContent = p.taken ? `taken ${p.taken}` : "no time recorded";
    const where = document.createElement("div");
    where.className = "facts position";
    where.textContent = position(p) + (p.altitude !== null ? `, altitude ${p.altitude.toFixed(1)} m` : "");
    const links = document.createElement("div");
    links.className = "links";
    if (p.map) {
      const map = document.createElement("a");
      map.href = p.map;
      map.target = "_blank";
      map.rel = "noopener";
      map.textContent = "OpenStreetMap";
      links.append(map);
    }
    const open = document.createElement("a");
    open.href = p.file;
    open.target = "_blank";
    open.textContent = "open";
    const download = document.createElement("a");
    download.href = `${p.file}?download=1`;
    download.textContent = `download (${Math.round(p.size / 1024)} KB)`;
    links.append(open, download);
    facts.append(name, when, where, links);
    item.append(thumb, facts);
    list.append(item);
  });
}

function showState(s) {
  state = s;
  $("phone-time").textContent = `${s.time.toFixed(1)} s`;
  $("pause").textContent = s.clock.paused ? "Resume" : "Pause";
  $("pause").classList.toggle("active", s.clock.paused);
  document.querySelectorAll("[data-speed]").forEach((b) =>
    b.classList.toggle("active", Number(b.dataset.speed) === s.clock.speed));
  $("camera-open").textContent = s.cameraOpen ? (s.helpShown ? "open, help shown" : "open") : (s.helpShown ? "help shown" : "closed");
  $("steady-mode").textContent = s.steadyMode ? "on" : "off";
  $("meter-text").textContent = s.meter === null ? "–" : s.meter.toFixed(2);
  $("meter-level").style.width = s.meter === null ? "0" : `${Math.round(Math.min(1, s.meter) * 100)}%`;
  $("badge").textContent = text(s.badge, "–");
  $("still").classList.toggle("active", s.motion.motion === "still");
  $("shake").classList.toggle("active", s.motion.motion === "shake");
  document.querySelectorAll("[data-hold]").forEach((b) => b.classList.toggle("active", b.dataset.hold === s.motion.hold));
  $("motion-now").textContent = s.motion.motion === "shake" ? `shaking ${s.motion.amplitude} g, held ${s.motion.hold}` : `still, held ${s.motion.hold}`;
  $("gps-now").textContent = `GPS source: ${s.gps.source}`;
  showAlerts(s.alerts);
  showRoll(s.roll);
}

// ---- the live feed
function connect() {
  const events = new EventSource("/api/events");
  const badge = $("connection");
  events.onopen = () => { badge.textContent = "live"; badge.className = "badge live"; };
  events.addEventListener("frame", (event) => { $("screen").src = "data:image/png;base64," + event.data; });
  events.addEventListener("state", (event) => showState(JSON.parse(event.data)));
  events.addEventListener("log", (event) => {
    const log = $("log");
    const atEnd = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
    log.append(event.data + "\n");
    if (atEnd) log.scrollTop = log.scrollHeight;
  });
  events.addEventListener("end", (event) => {
    const end = JSON.parse(event.data);
    badge.textContent = `switched off: ${end.reason}`;
    badge.className = "badge ended";
    events.close();
  });
  events.onerror = () => {
    if (badge.classList.contains("ended")) return;
    badge.textContent = "reconnecting…";
    badge.className = "badge";
  };
}
connect();
