// The web game played in headless Chromium as a player plays it, by keys on
// the page, and checked from what the page handed to the audio output.
//
//   node e2e.js SCENARIO SITE TOOLS      (NODE_PATH must find puppeteer-core)
//     game   Enter on the start control, Escape cuts the introduction short,
//            round 1 lost with no key, the summary, the question, N ends the game
//     win    round 1 won, each swing answered on the side it is heard from
//     page   names, roles and labels; a missing sound's message box takes the
//            focus and gives it back; silence while another window is active;
//            the game's keys do not scroll the page
//   TOOLS: the folder of audio_match.
const fs = require('fs'), os = require('os'), path = require('path'), {spawnSync} = require('child_process');
const {open, clip, save, sox} = require('./browser.js');

const [scenario, site, tools] = process.argv.slice(2).map((a, i) => i ? path.resolve(a) : a);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'grumbosh-web-'));
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));
const check = (ok, what) => { if (!ok) throw new Error(what); };
const state = (page, want, seconds) => page.waitForFunction(w => document.body.dataset.state === w, {timeout: seconds * 1000}, want);

// The accessibility tree's view of an element, as Chromium gives it to a screen reader.
const ax = async (page, selector) => page.accessibility.snapshot({root: await page.$(selector), interestingOnly: false});

// Starts the game by Enter on the start control, and cuts the introduction short once heard.
// The page opens with its start control named and in the focus, so that Enter or Space starts at once.
async function begin({page, heard}) {
  await state(page, 'ready', 30);
  const start = await ax(page, '#start');
  check(start.role === 'button' && start.name === 'Start the game' && start.focused, `start control: ${JSON.stringify(start)}`);
  await page.keyboard.press('Enter');
  await state(page, 'running', 10);
  const area = await ax(page, '#game');
  check(area.role === 'application' && area.name && area.focused, `#game: ${JSON.stringify(area)}`);
  await heard.until(() => heard.sound() >= 0, 30, 'the introduction');
  await sleep(1000);
  await page.keyboard.down('Escape');
  await sleep(150);
  await page.keyboard.up('Escape');
}

// Finds the sounds in the recording in order (see audio_match). The matcher takes
// a sound's best match after the previous one, so a sound heard twice (a number)
// is looked for in a stretch of its own: each group's last sound is heard once
// from there on, and its end closes the stretch.
function heardInOrder(heard, ...groups) {
  const sounds = path.join(site, 'sounds');
  save(work, 'heard', heard);
  clip(work, 'intro_start', path.join(sounds, 'intro.wav'), 'trim', '0', '1');
  clip(work, 'intro_later', path.join(sounds, 'intro.wav'), 'trim', '6', '2');
  for (const name of groups.flat().join('|').replace(/!/g, '').split('|'))
    if (!fs.existsSync(path.join(work, name))) clip(work, name, path.join(sounds, fs.existsSync(path.join(sounds, name + '.wav')) ? '' : 'numbers', name + '.wav'));
  const all = fs.readFileSync(path.join(work, 'heard'));
  const match = (from, to, templates) => {
    fs.writeFileSync(path.join(work, 'part'), all.subarray(4 * from, 4 * to));
    const run = spawnSync(path.join(tools, 'audio_match'), ['8000', 'part', ...templates], {cwd: work, encoding: 'utf8'});
    check(run.status === 0, `not heard in this order:\n${run.stdout}${run.stderr}`);
    return from + Math.round(8000 * parseFloat(/ending at ([\d.]+) s\n$/.exec(run.stdout)[1]));
  };
  for (let from = 0, group = 0; group < groups.length; group++) {
    const end = match(from, all.length / 4, groups[group].slice(-1));
    match(from, end + 400, groups[group]);
    console.log(`heard in order: ${groups[group].join(' ')}`);
    from = end;
  }
}

async function game(session) {
  const {page, heard} = session;
  await begin(session);
  await sleep(500);
  await page.keyboard.down('n');  // held: it answers whenever the question has been heard
  await state(page, 'ended', 90);
  await page.keyboard.up('n');
  check(/ended/i.test(await page.$eval('#status', e => e.textContent)), '#status does not say the game has ended');
  await sleep(500);
  heardInOrder(heard, ['intro_start', '!intro_later', 'round', '1', 'grumbo01|grumbo02|grumbo03|grumbo04|grumbo05', 'BrokToof'],
               ['toround', '1', 'finalscore', 'zero', 'points'], ['agility', 'zero', 'playagain', 'no', 'seeya']);
}

// The next swing from frame `from` on: where it starts and its side, by the
// swing's gain in each channel (the music and the speech are centred).
async function swing(heard, template, from) {
  const n = template.length, norm = template.reduce((s, x) => s + x * x, 0);
  let lag = from, best = null;
  const gain = (f, channel) => { let s = 0; for (let i = 0; i < n; i++) s += f[2 * i + channel] * template[i]; return s / norm; };
  await heard.until(() => {
    const f = heard.frames(lag, heard.end);
    for (let i = 0; 2 * (i + n) <= f.length && !(best && lag + i > best.at + 200); i++) {
      let dot = 0, energy = 0;
      for (let k = 0; k < n; k++) { const m = f[2 * (i + k)] + f[2 * (i + k) + 1]; dot += m * template[k]; energy += m * m; }
      const score = dot / Math.sqrt(energy * norm + 1e-20);
      if (score > 0.5 && (!best || score > best.score)) best = {score, at: lag + i, left: gain(f.subarray(2 * i), 0), right: gain(f.subarray(2 * i), 1)};
      if (best && lag + i >= best.at + 200) return true;
    }
    lag = Math.max(lag, heard.end - n + 1);
    return false;
  }, 30, 'a swing');
  return {at: best.at, side: best.left > 2 * best.right ? 0 : best.right > 2 * best.left ? 2 : 1};
}

async function win(session) {
  const {page, heard} = session;
  await begin(session);
  sox(path.join(site, 'sounds/swing.wav'), '-r', String(heard.rate), '-c', '1', '-t', 'f32', path.join(work, 'swing'), 'trim', '0', '0.1');
  const template = new Float32Array(fs.readFileSync(path.join(work, 'swing')).buffer.slice(0));
  const keys = ['ArrowLeft', 'ArrowUp', 'ArrowRight'];
  const press = async key => { await page.keyboard.down(key); await sleep(60); await page.keyboard.up(key); };
  for (let from = heard.end, attack = 0; attack < 3; attack++) {
    const {at, side} = await swing(heard, template, from);
    console.log(`swing ${attack + 1} at ${(at / heard.rate).toFixed(2)} s from the ${['left', 'centre', 'right'][side]}`);
    await press(keys[side]);
    await sleep(150);
    await press(keys[(side + 1) % 3]);
    from = at + template.length * 2;
  }
  await page.waitForFunction(() => document.querySelector('#round').value === '2', {timeout: 30000});
  await sleep(4000);
  heardInOrder(heard, ['!BrokToof', 'KnockOut'], ['ysi', '1', 'thousand', '7', 'hundred', '50', 'round', '2']);
}

// A copy of the site without the round's sound: its message box opens once the
// introduction is cut short. Checked against the accessibility tree Chromium gives
// a screen reader.
async function page(session) {
  const {page, heard} = session;
  for (const [id, label] of [['round', 'Round'], ['score', 'Score'], ['agility', 'Agility']]) {
    const field = await ax(page, '#' + id), live = await page.$eval('#' + id, e => !!e.closest('[aria-live],[role=status],[role=log],[role=alert]'));
    check(field.name === label && !live, `#${id}: ${JSON.stringify(field)}, read out at every change: ${live}`);
  }
  await begin(session);
  await page.waitForSelector('#message[open]', {timeout: 30000});
  const text = await page.$eval('#message-text', e => e.textContent), box = await ax(page, '#message');
  check(text.startsWith('An error has occurred in this application.  Procedure: PlaySound.  Error Number: '), `the message: ${text}`);
  check(/dialog/.test(box.role) && box.modal && (box.name + box.description).includes(text.replace(/\s+/g, ' ')), `#message: ${JSON.stringify(box)}`);
  check(await page.evaluate(() => !!document.activeElement.closest('#message')), 'the message box does not have the focus');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.querySelector('#message').open && document.activeElement.id === 'game', {timeout: 5000});
  for (const [event, loud] of [['blur', false], ['focus', true]]) {  // silent while another window is the active one
    await page.evaluate(e => window.dispatchEvent(new Event(e)), event);
    await sleep(600);
    check(heard.frames(heard.end - 4410).some(x => Math.abs(x) > 0.01) === loud, `not ${loud ? 'heard' : 'silent'} after ${event}`);
  }
  const keys = ['ArrowDown', 'ArrowUp', 'ArrowLeft', 'ArrowRight', 'Space', 'ShiftLeft', 'ShiftRight', 'ControlLeft', 'Enter', 'KeyY', 'KeyN', 'Escape'];
  await page.evaluate(() => {  // a tall page, which a key left to the browser would scroll
    document.body.style.minHeight = '10000px';
    window.grumboshSeen = [];
    window.addEventListener('keydown', e => window.grumboshSeen.push(e.code + (e.defaultPrevented ? '' : ' not prevented')));
  });
  for (const key of [...keys, 'Tab']) await page.keyboard.press(key);
  const seen = await page.evaluate(() => window.grumboshSeen.join(', '));
  check(seen === [...keys, 'Tab not prevented'].join(', '), `keys: ${seen}`);  // Tab still leaves the game area
  check(await page.evaluate(() => window.scrollY) === 0, 'the page scrolled');
}

const scenarios = {game, win, page};
(async () => {
  let served = site;
  if (scenario === 'page') {
    fs.cpSync(site, served = path.join(work, 'site'), {recursive: true});
    fs.rmSync(path.join(served, 'sounds/round.wav'));
  }
  const session = await open(served);
  try {
    await scenarios[scenario](session);
    fs.rmSync(work, {recursive: true});
  } catch (error) {
    if (session.heard.blocks.length) save(work, 'heard', session.heard);
    throw error;
  } finally { await session.close(); }
})().catch(error => { console.error(`FAIL: ${error.message} (the recording is kept in ${work})`); process.exit(1); });
