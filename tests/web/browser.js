// The web game in headless Chromium, heard where the page hands its sound to
// the browser: a local static server, the page, and a recorder attached to the
// page's last node before the audio output from its very first frame.
const fs = require('fs'), http = require('http'), path = require('path'), {execFileSync} = require('child_process');
const puppeteer = require('puppeteer-core');

// Runs in the page before its own scripts. The recorder's module loads with
// the page's own, so that it is there when the page first connects to the
// output and not one frame passes unheard.
const hook = () => {
  const recorder = URL.createObjectURL(new Blob([`registerProcessor('grumbosh-recorder', class extends AudioWorkletProcessor {
    constructor() { super(); this.block = new Float32Array(2 * 512); this.n = 0; }
    process([input]) {
      const left = input[0] || new Float32Array(128), right = input[1] || left;
      for (let i = 0; i < left.length; i++) { this.block[2 * this.n] = left[i]; this.block[2 * this.n++ + 1] = right[i]; }
      if (this.n === 512) { this.port.postMessage({frame: currentFrame + left.length - 512, rate: sampleRate, block: this.block}); this.n = 0; }
      return true;
    } })`], {type: 'text/javascript'}));
  const addModule = AudioWorklet.prototype.addModule, connect = AudioNode.prototype.connect;
  AudioWorklet.prototype.addModule = function (...args) {
    return Promise.all([addModule.apply(this, args), addModule.call(this, recorder)]).then(() => undefined);
  };
  AudioNode.prototype.connect = function (target, ...rest) {
    if (target instanceof AudioDestinationNode) {
      const node = new AudioWorkletNode(target.context, 'grumbosh-recorder', {numberOfOutputs: 0, channelCount: 2, channelCountMode: 'explicit'});
      node.port.onmessage = ({data}) => window.grumboshHeard(data.frame, data.rate, Array.from(data.block));
      connect.call(this, node);
    }
    return connect.call(this, target, ...rest);
  };
};

// What the page handed to the output: interleaved stereo blocks by context frame.
class Recording {
  constructor() { this.blocks = []; this.rate = 0; }
  add(frame, rate, block) {
    this.rate = rate;
    this.blocks.push({frame, data: Float32Array.from(block)});
  }
  get first() { return this.blocks.length ? this.blocks[0].frame : 0; }
  get end() { const last = this.blocks.at(-1); return last ? last.frame + last.data.length / 2 : 0; }
  frames(from = this.first, to = this.end) {  // [from, to), silent where nothing was heard
    const out = new Float32Array(2 * Math.max(0, to - from));
    for (const {frame, data} of this.blocks) {
      const a = Math.max(frame, from), b = Math.min(frame + data.length / 2, to);
      if (a < b) out.set(data.subarray(2 * (a - frame), 2 * (b - frame)), 2 * (a - from));
    }
    return out;
  }
  async until(test, seconds, what) {
    for (const end = Date.now() + 1000 * seconds; !test(); await new Promise(resolve => setTimeout(resolve, 20)))
      if (Date.now() > end) throw new Error(`not heard within ${seconds} s: ${what}`);
  }
  sound(from = this.first) {  // the first frame from `from` on that is not silent, or -1
    const i = this.frames(from).findIndex(x => Math.abs(x) > 1e-3);
    return i < 0 ? -1 : from + (i >> 1);
  }
}

// Opens the site's page in a fresh browser, served from a local port with no
// headers beyond the content type; the sound is started by the page's own start control.
async function open(site, beforeThePage = () => {}) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css'};
  const server = http.createServer((request, response) => {
    const file = path.join(site, decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/\/$/, '/index.html'));
    fs.readFile(file, (error, body) => {
      response.writeHead(error ? 404 : 200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
      response.end(error ? '' : body);
    });
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', headless: 'new', args: ['--no-sandbox']});
  const page = await browser.newPage(), heard = new Recording();
  await page.exposeFunction('grumboshHeard', (frame, rate, block) => heard.add(frame, rate, block));
  await page.evaluateOnNewDocument(hook);
  await page.evaluateOnNewDocument(beforeThePage);
  page.on('pageerror', e => console.log('page error:', e.message));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  return {page, heard, close: async () => { await browser.close(); server.close(); }};
}

// The matcher's view of sounds and of the recording: raw 32-bit float mono at 8,000 Hz, made by sox.
const sox = (...args) => execFileSync('sox', ['-V1', ...args]);
const clip = (work, name, sound, ...effects) => sox(sound, '-r', '8000', '-c', '1', '-t', 'f32', path.join(work, name), ...effects);
function save(work, name, heard) {
  fs.writeFileSync(path.join(work, name + '.stereo'), heard.frames());
  sox('-t', 'f32', '-r', String(heard.rate), '-c', '2', path.join(work, name + '.stereo'), '-r', '8000', '-c', '1', '-t', 'f32', path.join(work, name));
}

module.exports = {open, clip, save, sox};
