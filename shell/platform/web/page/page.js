// The page around the game: the start button, the game area that takes the
// keys, the three read-only fields, the message dialog, the end, and the
// audio output the game's mixer feeds. Loaded before the game's compiled
// script, which finds its settings in Module.
var Module = { noInitialRun: true };

(() => {
'use strict';

const RATE = 22050;

// The output plays each block of mixed frames at the frames it is stamped
// with, so that a late block is cut to what is still to come and never
// delays what follows it; where it has nothing it plays silence.
const OUTPUT_WORKLET = `
class GrumboshOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocks = [];
    this.port.onmessage = (event) => {
      if (event.data === null) this.blocks.length = 0; else this.blocks.push(event.data);
    };
  }
  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const start = currentFrame;
    const end = start + left.length;
    left.fill(0);
    right.fill(0);
    const blocks = this.blocks;
    while (blocks.length > 0 && blocks[0].first + blocks[0].left.length <= start) blocks.shift();
    for (const block of blocks) {
      if (block.first >= end) break;
      const from = Math.max(start, block.first);
      const to = Math.min(end, block.first + block.left.length);
      left.set(block.left.subarray(from - block.first, to - block.first), from - start);
      right.set(block.right.subarray(from - block.first, to - block.first), from - start);
    }
    return true;
  }
}
registerProcessor('grumbosh-output', GrumboshOutput);
`;

const $ = (id) => document.getElementById(id);
let resolveRuntime;
const runtimeReady = new Promise((resolve) => { resolveRuntime = resolve; });

Module.onRuntimeInitialized = () => resolveRuntime();
Module.onAbort = () => {
  document.body.dataset.state = 'ended';
  $('status').textContent = 'The game could not run in this browser.';
};

// The sounds are fetched while the page waits for the player, so that the
// game starts at once; a file the site lacks is left out, and the game says
// so when it plays it, as it does for a file missing beside the program.
const soundFiles = fetch('sounds/index.json')
  .then((response) => response.json())
  .then((names) => Promise.all(names.map((name) => fetch('sounds/' + name)
    .then((response) => (response.ok ? response.arrayBuffer() : null))
    .catch(() => null)
    .then((bytes) => [name, bytes]))))
  .catch(() => []);

const page = (() => {
  const channel = new MessageChannel();
  let wake = null;
  channel.port1.onmessage = () => wake();
  let keyCodes = new Map();
  let input = null;  // where the game reads keys and focus: byte offsets into its memory
  let windowFocused = true;
  let output = null;
  let stillMilliseconds = 0;
  let stoodStill = 0;  // the same in frames
  let lastAudioCall = null;

  function setFocus() {
    if (input === null) return;
    const heap = Module.HEAPU32;
    const focused = windowFocused && document.visibilityState === 'visible' ? 1 : 0;
    if (heap[input.focused >> 2] === 1 && focused === 0) heap[input.losses >> 2] += 1;
    heap[input.focused >> 2] = focused;
  }

  function releaseKeys() {
    if (input !== null) Module.HEAPU8.fill(0, input.keys, input.keys + 256);
  }

  // The game's keys and every other key of the board reach the game, not
  // the browser; Tab still leaves the game area, and combinations with Ctrl,
  // Alt or the system key stay the browser's and the system's.
  function onKey(event, down) {
    const dik = keyCodes.get(event.code);
    if (dik === undefined || input === null) return;
    Module.HEAPU8[input.keys + dik] = down ? 0x80 : 0;
    const combination = event.altKey || event.metaKey || (event.ctrlKey && !event.code.startsWith('Control'));
    if (event.code !== 'Tab' && !combination) event.preventDefault();
  }

  return {
    attach(table, keys, focused, losses) {
      keyCodes = new Map(table.split(' ').map((pair) => {
        const [code, dik] = pair.split('=');
        return [code, Number(dik)];
      }));
      input = { keys, focused, losses };
      releaseKeys();
      setFocus();
    },
    nextTask: () => new Promise((resolve) => {
      wake = resolve;
      channel.port2.postMessage(null);
    }),
    showTitle(title) {
      document.title = title;
      $('title').textContent = title;
      $('game').setAttribute('aria-label', title);
    },
    labelField(field, label) { document.querySelector(`label[for="${field}"]`).textContent = label; },
    setField(field, text) { $(field).value = text; },
    openMessage(text, caption) {
      $('message-title').textContent = caption;
      $('message-text').textContent = text;
      $('message').showModal();
      $('message-ok').focus();
    },
    messageOpen: () => $('message').open,
    audioExists: () => output !== null,
    // The game's clock of the output: the context's frames, and the time the
    // context stood still (suspended or interrupted by the system), which
    // passes for the game's sounds as it does for a lost device on the
    // desktop, so that no wait for the end of a sound outlasts it.
    audioFrame() {
      const now = performance.now();
      if (output.context.state !== 'running' && lastAudioCall !== null) {
        stillMilliseconds += now - lastAudioCall;
        stoodStill = Math.round((stillMilliseconds * RATE) / 1000);
      }
      lastAudioCall = now;
      return Math.round(output.context.currentTime * RATE) + stoodStill;
    },
    postAudio(samples, first) {
      const frames = samples.length / 2;
      const left = new Float32Array(frames);
      const right = new Float32Array(frames);
      for (let i = 0; i < frames; i++) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
      }
      const at = first - stoodStill;
      output.output.port.postMessage({ first: at, left, right }, [left.buffer, right.buffer]);
    },
    ended() {
      if (output !== null) output.output.port.postMessage(null);
      const game = $('game');
      game.removeAttribute('tabindex');
      game.setAttribute('aria-disabled', 'true');
      game.blur();
      document.body.dataset.state = 'ended';
      $('status').textContent = 'The game has ended.';
    },

    // The start gesture: the audio output must be made inside it for the
    // browser to let it play.
    async start() {
      const button = $('start');
      if (document.body.dataset.state !== 'ready') return;
      document.body.dataset.state = 'starting';
      button.setAttribute('aria-disabled', 'true');
      let context = null;
      try {
        context = new AudioContext({ sampleRate: RATE, latencyHint: 'interactive' });
        context.resume();  // some browsers make it suspended even in a gesture
        const url = URL.createObjectURL(new Blob([OUTPUT_WORKLET], { type: 'text/javascript' }));
        await context.audioWorklet.addModule(url);
        URL.revokeObjectURL(url);
        const node = new AudioWorkletNode(context, 'grumbosh-output',
          { numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2] });
        node.connect(context.destination);
        output = { context, output: node };
        window.grumboshAudio = output;
      } catch (error) {
        // Without an output the game tells the player about the sound driver.
        console.error(error);
        if (context !== null) context.close();
      }
      const [, files] = await Promise.all([runtimeReady, soundFiles]);
      Module.FS.mkdirTree('/grumbosh/sounds/numbers');
      for (const [name, bytes] of files) {
        if (bytes !== null) Module.FS.writeFile('/grumbosh/sounds/' + name, new Uint8Array(bytes));
      }
      button.hidden = true;
      $('start-how').hidden = true;
      const game = $('game');
      game.hidden = false;
      document.body.dataset.state = 'running';
      game.addEventListener('keydown', (event) => onKey(event, true));
      game.addEventListener('keyup', (event) => onKey(event, false));
      game.addEventListener('blur', releaseKeys);
      window.addEventListener('focus', () => {
        windowFocused = true;
        setFocus();
        if (output !== null && output.context.state === 'suspended') output.context.resume();
      });
      window.addEventListener('blur', () => { windowFocused = false; setFocus(); });
      document.addEventListener('visibilitychange', setFocus);
      $('message').addEventListener('close', () => {
        if (document.body.dataset.state === 'running') game.focus();
      });
      game.focus();
      // The page is drawn as it now stands before the game starts its sound,
      // so that the drawing does not hold up the game's first feeds.
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
      Module.callMain([]);
    },
  };
})();
window.grumboshPage = page;

document.addEventListener('DOMContentLoaded', () => {
  $('start').addEventListener('click', () => page.start());
  $('message-ok').addEventListener('click', () => $('message').close());
});
})();
