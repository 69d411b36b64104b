// The live page: paints the device's frames into the canvas, turns pointer and key events into
// touches and typing, and keeps the side panel in step with the device. No framework, no build.
'use strict';

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const ctx = canvas.getContext('2d');

// Read by the browser test: frames painted, their sizes, and input-to-frame latencies.
const live = (window.flintLive = { frames: 0, sequence: 0, restingAt: -1, bytes: [], latencies: [], haptics: 0, downloads: 0, state: null, errors: [] });

let socket = null;
let state = null;
let painting = Promise.resolve();
let inputAt = null; // time of the oldest pointer event not yet followed by a frame

function send(message) {
  live.restingAt = -1; // until the device says it has come to rest again
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function setStatus(text, error) {
  $('status').textContent = text;
  $('status').classList.toggle('error', !!error);
}

// --- frames ---
function paintFrame(buffer) {
  const view = new DataView(buffer);
  const sequence = view.getUint32(0, true);
  const x = view.getUint16(4, true), y = view.getUint16(6, true);
  const frameWidth = view.getUint16(12, true), frameHeight = view.getUint16(14, true);
  const blob = new Blob([new Uint8Array(buffer, 16)], { type: 'image/png' });
  const since = inputAt;
  inputAt = null;
  // Decoding is asynchronous; the chain keeps frames painting in the order they came.
  painting = painting.then(async () => {
    const bitmap = await createImageBitmap(blob);
    if (canvas.width !== frameWidth || canvas.height !== frameHeight) {
      canvas.width = frameWidth;
      canvas.height = frameHeight;
    }
    ctx.drawImage(bitmap, x, y);
    bitmap.close();
    live.frames += 1;
    live.sequence = sequence;
    live.bytes.push(buffer.byteLength);
    if (since !== null) live.latencies.push(performance.now() - since);
  }).catch((e) => live.errors.push(String(e)));
}

// --- the side panel ---
function showState(s) {
  state = live.state = s;
  canvas.style.width = s.width + 'px';
  canvas.style.height = s.height + 'px';
  const profile = $('profile');
  if (profile.options.length !== s.profiles.length) {
    profile.textContent = '';
    for (const name of s.profiles) profile.add(new Option(name, name));
  }
  profile.value = s.profile;
  $('appearance').value = s.appearance;
  $('lock').textContent = s.locked ? 'Unlock' : 'Lock';
  showPhotos(s.photos);
  const log = $('log');
  log.textContent = s.log.join('\n');
  log.scrollTop = log.scrollHeight;
  if (!$('prefs').contains(document.activeElement)) showPreferences(s.preferences);
  if (!$('colors').contains(document.activeElement)) showColors(s.colors);
  setStatus(`${s.profile} · ${s.appearance} · ${s.width} × ${s.height} points at @${s.scale}x`);
}

function showPhotos(count) {
  $('photo-count').textContent = `(${count})`;
  const photos = $('photos');
  if (photos.children.length === count) return;
  photos.textContent = '';
  for (let i = 0; i < count; i += 1) {
    const link = document.createElement('a');
    link.href = `/photos/${i}.png`;
    link.download = `IMG_${String(i + 1).padStart(4, '0')}.PNG`;
    link.title = `photo ${i + 1}: download`;
    const img = document.createElement('img');
    img.src = `/photos/${i}.png`;
    img.loading = 'lazy';
    img.alt = `photo ${i + 1}`;
    link.append(img);
    photos.append(link);
  }
}

function showPreferences(prefs) {
  const form = $('prefs');
  form.textContent = '';
  for (const pref of prefs) {
    const label = document.createElement('label');
    label.append(pref.key);
    const input = document.createElement('input');
    input.name = pref.key;
    if (pref.kind === 'bool') {
      input.type = 'checkbox';
      input.checked = !!pref.value;
      input.addEventListener('change', () => send({ type: 'pref', key: pref.key, value: input.checked }));
    } else if (pref.kind === 'integer') {
      input.type = 'number';
      input.step = '1';
      input.value = pref.value ?? 0;
      input.addEventListener('change', () => {
        const n = Number.parseInt(input.value, 10);
        if (Number.isFinite(n)) send({ type: 'pref', key: pref.key, value: n });
      });
    } else {
      input.type = 'text';
      input.value = pref.value ?? '';
      input.addEventListener('change', () =>
        send({ type: 'pref', key: pref.key, value: input.value === '' ? null : input.value }));
    }
    label.append(input);
    form.append(label);
  }
}

function showColors(colors) {
  const form = $('colors');
  form.textContent = '';
  for (const colour of colors) {
    const label = document.createElement('label');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = colour.value || 'transparent';
    label.append(swatch, ' ', colour.key);
    const input = document.createElement('input');
    input.type = 'text';
    input.name = colour.key;
    input.placeholder = '#RRGGBB';
    input.value = colour.value || '';
    input.addEventListener('change', () =>
      send({ type: 'pref', file: 'colors', key: colour.key, value: input.value === '' ? null : input.value }));
    label.append(input);
    form.append(label);
  }
}

function showWorld(text, kind) {
  const item = document.createElement('li');
  item.textContent = `${new Date().toLocaleTimeString()} ${text}`;
  item.className = 'fresh';
  item.dataset.kind = kind;
  $('world').prepend(item);
  setTimeout(() => item.classList.remove('fresh'), 1500);
  if (kind === 'haptic') {
    live.haptics += 1;
    const device = $('device');
    device.classList.remove('shake');
    void device.offsetWidth; // restarts the animation
    device.classList.add('shake');
  }
}

// The share sheet's "Save to Downloads": the browser saves the image the device handed over.
function download(url, name) {
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  live.downloads += 1;
  showWorld(`${name} saved to downloads`, 'download');
}

function onEvent(event) {
  switch (event.type) {
    case 'state': showState(event); break;
    case 'log': {
      const log = $('log');
      log.textContent += (log.textContent ? '\n' : '') + event.lines.join('\n');
      log.scrollTop = log.scrollHeight;
      break;
    }
    case 'world': showWorld(event.text, event.kind); break;
    case 'photos': showPhotos(event.count); break;
    case 'idle': live.restingAt = event.sequence; break;
    case 'download': download(event.url, event.name); break;
    case 'reboot': setStatus(`rebooting as ${event.profile}…`); break;
    case 'error': live.errors.push(event.message); setStatus(event.message, true); break;
    default: break;
  }
}

// --- the connection ---
function connect() {
  socket = new WebSocket(`ws://${location.host}/live`);
  socket.binaryType = 'arraybuffer';
  socket.onmessage = (e) => (typeof e.data === 'string' ? onEvent(JSON.parse(e.data)) : paintFrame(e.data));
  socket.onclose = () => {
    setStatus('disconnected; reconnecting…', true);
    fingers.clear();
    setTimeout(connect, 500);
  };
}

// --- fingers: pointers on the canvas ---
const fingers = new Map(); // pointerId → finger number

function pointInScreen(e) {
  const rect = canvas.getBoundingClientRect();
  const width = state ? state.width : rect.width, height = state ? state.height : rect.height;
  return { x: ((e.clientX - rect.left) * width) / rect.width, y: ((e.clientY - rect.top) * height) / rect.height };
}

function freeFinger() {
  const used = new Set(fingers.values());
  for (let f = 0; f < 10; f += 1) if (!used.has(f)) return f;
  return -1;
}

function touch(e, phase) {
  const finger = fingers.get(e.pointerId);
  if (finger === undefined) return;
  const p = pointInScreen(e);
  if (phase !== 'ended' && phase !== 'cancelled' && inputAt === null) inputAt = e.timeStamp || performance.now();
  send({ type: 'touch', phase, x: p.x, y: p.y, finger });
  if (phase === 'ended' || phase === 'cancelled') fingers.delete(e.pointerId);
}

canvas.addEventListener('pointerdown', (e) => {
  if (e.pointerType === 'mouse' && e.button !== 0) return;
  const finger = freeFinger();
  if (finger < 0) return;
  fingers.set(e.pointerId, finger);
  canvas.setPointerCapture(e.pointerId);
  canvas.focus();
  touch(e, 'began');
  e.preventDefault();
});
// Raw updates reach the page as the pointer moves, not held back to the next display frame as
// plain moves are, so a finger's motion reaches the device a frame sooner.
canvas.addEventListener('onpointerrawupdate' in window ? 'pointerrawupdate' : 'pointermove', (e) => touch(e, 'moved'));
canvas.addEventListener('pointerup', (e) => touch(e, 'ended'));
canvas.addEventListener('pointercancel', (e) => touch(e, 'cancelled'));
canvas.addEventListener('lostpointercapture', (e) => touch(e, 'cancelled'));
window.addEventListener('blur', () => {
  for (const [id, finger] of fingers) send({ type: 'touch', phase: 'cancelled', x: 0, y: 0, finger }), fingers.delete(id);
});

// --- keys: typing into the device's focused text field ---
document.addEventListener('keydown', (e) => {
  const target = e.target;
  if (target instanceof HTMLInputElement || target instanceof HTMLSelectElement) return; // the side panel's own
  if (e.ctrlKey || e.metaKey || e.altKey) return;
  if (e.key === 'Backspace' || e.key === 'Enter') send({ type: 'key', key: e.key });
  else if (e.key.length === 1 || [...e.key].length === 1) send({ type: 'key', text: e.key });
  else return;
  e.preventDefault();
});

// --- the panel's controls ---
$('profile').addEventListener('change', (e) => send({ type: 'profile', name: e.target.value }));
$('appearance').addEventListener('change', (e) => send({ type: 'appearance', style: e.target.value }));
$('home').addEventListener('click', () => send({ type: 'button', name: 'home' }));
$('lock').addEventListener('click', () => send({ type: 'button', name: 'lock' }));

async function upload(files) {
  for (const file of files) {
    const type = file.type || (/\.jpe?g$/i.test(file.name) ? 'image/jpeg' : 'image/png');
    try {
      const response = await fetch('/photos', { method: 'POST', headers: { 'Content-Type': type }, body: file });
      const answer = await response.json();
      if (!response.ok) setStatus(`${file.name}: ${answer.error}`, true);
      else showPhotos(answer.photos);
    } catch (e) {
      setStatus(`${file.name}: upload failed`, true);
    }
  }
}

$('upload').addEventListener('change', (e) => {
  upload([...e.target.files]);
  e.target.value = '';
});
const drop = $('drop');
drop.addEventListener('dragover', (e) => {
  e.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (e) => {
  e.preventDefault();
  drop.classList.remove('over');
  upload([...e.dataTransfer.files]);
});

connect();
