// How late the web game's sound follows the player, measured where the page
// hands its frames to the browser's audio output, in the audio clock:
//  - from the key event that cuts the introduction short (Escape) to the first
//    frame that is no longer the introduction, against the context's time at
//    that key event (noted by a capture-phase listener before the page's own);
//  - from the start click to the first frame of sound: the context is made by
//    the click, so its clock counts from there.
// Each trial is a fresh browser and page. A benchmark, not a test.
//
//   node latency.js SITE [TRIALS]     (NODE_PATH must find puppeteer-core)
const fs = require('fs'), os = require('os'), path = require('path'), {execFileSync} = require('child_process');
const {open} = require('../../tests/web/browser.js');

const [site, trials = 12] = process.argv.slice(2);
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// The introduction as the page plays it: mono at the context's rate.
function introduction(rate) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'grumbosh-latency-')), 'intro');
  execFileSync('sox', ['-V1', path.join(site, 'sounds/intro.wav'), '-r', String(rate), '-c', '1', '-t', 'f32', file]);
  const bytes = fs.readFileSync(file);
  fs.rmSync(path.dirname(file), {recursive: true});
  return new Float32Array(bytes.buffer, bytes.byteOffset, bytes.length / 4);
}

// The first frame from `key` on that is no longer the introduction, for good:
// most of the following 1,024 frames differ from it too (a dropped block alone
// does not count).
function departure(heard, intro, key) {
  const start = heard.sound(), f = heard.frames(start), left = i => f[2 * i], tolerance = 1e-3;
  let at = -1;  // the introduction's sample heard at `start`: found by its first 64 frames
  for (let k = 0; k + 64 <= intro.length && at < 0; k++) {
    let same = true;
    for (let i = 0; i < 64 && same; i++) same = Math.abs(left(i) - intro[k + i]) <= tolerance;
    if (same) at = k;
  }
  if (at < 0) throw new Error('the first sound is not the introduction');
  const differs = i => i + at >= intro.length || Math.abs(left(i) - intro[i + at]) > tolerance;
  for (let i = Math.max(0, key - start); 2 * (i + 1024) <= f.length; i++) {
    if (!differs(i)) continue;
    let count = 0;
    for (let j = i; j < i + 1024; j++) count += differs(j);
    if (count > 512) return {frame: start + i, lost: at - intro.findIndex(x => Math.abs(x) > 1e-3)};
  }
  throw new Error('the introduction was not cut short');
}

// Each key's moment in the audio clock, noted before the page's own listeners see it.
function noteKeys() {
  window.grumboshKeys = [];
  window.addEventListener('keydown', e => {
    const context = window.grumboshAudio && window.grumboshAudio.context;
    window.grumboshKeys.push({code: e.code, time: context ? context.currentTime : null});
  }, true);
}

const median = v => [...v].sort((a, b) => a - b)[v.length >> 1];
const summary = v => `median ${median(v).toFixed(1)} ms, range ${Math.min(...v).toFixed(1)} to ${Math.max(...v).toFixed(1)} ms`;

(async () => {
  const cut = [], first = [];
  let context = null, intro = null;
  for (let trial = 1; trial <= trials; trial++) {
    const {page, heard, close} = await open(site, noteKeys);
    try {
      await page.waitForFunction(() => document.body.dataset.state === 'ready', {timeout: 30000});
      await page.click('#start');
      await heard.until(() => heard.sound() >= 0, 30, 'the introduction');
      await sleep(800 + Math.random() * 1200);  // at a moment of the introduction's own, not of the feed's
      await page.keyboard.down('Escape');
      await sleep(100);
      await page.keyboard.up('Escape');
      await sleep(600);
      context = await page.evaluate(async () => {
        // How finely the page sees the audio clock advance: the key's moment is known to that step.
        const c = window.grumboshAudio.context, seen = [];
        for (let end = performance.now() + 300; performance.now() < end;) {
          seen.push(c.currentTime);
          await new Promise(resolve => setTimeout(resolve, 1));
        }
        const steps = seen.slice(1).map((t, i) => t - seen[i]).filter(d => d > 0);
        return {keys: window.grumboshKeys, rate: c.sampleRate, base: c.baseLatency, output: c.outputLatency, step: Math.min(...steps)};
      });
    } finally { await close(); }
    intro = intro || introduction(context.rate);
    const key = context.keys.find(k => k.code === 'Escape').time;
    const {frame, lost} = departure(heard, intro, Math.floor(key * context.rate));
    cut.push(1000 * (frame / context.rate - key));
    first.push(1000 * heard.sound() / context.rate);
    console.log(`trial ${trial}: Escape to the introduction's end ${cut.at(-1).toFixed(1)} ms; click to the first sound ` +
                `${first.at(-1).toFixed(1)} ms` + (lost ? `, the introduction's first ${(1000 * lost / context.rate).toFixed(0)} ms not heard` : ''));
  }
  console.log(`Escape to the first frame no longer the introduction, audio clock: ${summary(cut)} over ${trials} trials`);
  console.log(`Start click to the first frame of sound, audio clock: ${summary(first)}`);
  console.log(`The context at ${context.rate} Hz: baseLatency ${(1000 * context.base).toFixed(1)} ms, ` +
              `outputLatency ${(1000 * context.output).toFixed(1)} ms (added after these frames); the page sees its ` +
              `clock advance in steps of ${(1000 * context.step).toFixed(1)} ms, the key's moment is known to that step`);
})().catch(error => { console.error(`FAIL: ${error.message}`); process.exit(1); });
