// The page's two builds of the engine: the one with WebAssembly SIMD where the browser runs it,
// the plain one where it does not (or ?engine=plain asks), training to the same bytes; the
// line while the engine starts, and the panel where WebAssembly is missing or does not start.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, test} = require('node:test');
const web = require('./browser.js');

let browser;
const work = web.temporaryDirectory('nc-engines-test-');

before(async () => {
    browser = await web.startBrowser();
});

after(async () => {
    await browser.close();
    fs.rmSync(work, {recursive: true, force: true});
});

const engineBuild = (page) => page.evaluate(() => document.body.dataset.engine);

// The lesson's text and the trained.txt bytes Save writes after `passes` passes.
async function trained(url, passes) {
    const {page, errors} = await web.openPage(browser.context, url);
    await page.evaluate((count) => window.ncStep(count), passes);
    const [file] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    const saved = path.join(work, `trained-${Date.now()}-${Math.random()}.txt`);
    await file.saveAs(saved);
    // Each opening draws the seed of patterns held out from the clock; a lesson holds none.
    const lesson = (await page.evaluate(() => window.ncLesson())).replace(/^test_seed: \d+\n/m, '');
    const {layers} = await page.evaluate(() => window.ncStatus());
    const result = {build: await engineBuild(page), layers, lesson, bytes: fs.readFileSync(saved), errors};
    await page.close();
    return result;
}

test('both builds train exclusive-or and a 2-8-8-1 circle lesson to the same bytes', async () => {
    web.copyExample('exclusive_or_training.txt', work);
    const native = web.run(web.netTrain, ['exclusive_or_training.txt', '-o', 'native.txt'], work);
    assert.equal(native.status, 0, native.err);
    const lessons = [
        {hash: '', layers: [2, 2, 1], passes: 1e6, bytes: fs.readFileSync(path.join(work, 'native.txt'))},
        {hash: '#lab?layers=2,8,8,1&seed=3&data=circle&points=200&noise=0.1', layers: [2, 8, 8, 1], passes: 3000},
    ];
    for (const {hash, layers, passes, bytes} of lessons) {
        const simd = await trained(web.fileUrl(hash), passes);
        const plain = await trained(web.fileUrl(`?engine=plain${hash}`), passes);
        assert.deepEqual([simd.build, plain.build], ['simd', 'plain'], hash);
        assert.deepEqual([simd.layers, plain.layers], [layers, layers], hash);
        assert.ok(plain.bytes.equals(simd.bytes), hash);
        assert.equal(plain.lesson, simd.lesson, hash);
        if (bytes)
            assert.ok(plain.bytes.equals(bytes), hash);
        assert.deepEqual([...simd.errors, ...plain.errors], []);
    }
});

test('the plain build evolves creatures in its worker to creature_lab\'s generations', async () => {
    const {page, errors} = await web.openPage(browser.context, web.fileUrl('?engine=plain#creatures'));
    assert.equal(await engineBuild(page), 'plain');
    for (const [id, value] of [['#evolve-population', '12'], ['#evolve-generations', '3'], ['#evolve-seed', '7']])
        await page.fill(id, value);
    await page.click('#evolve-start');
    await page.waitForFunction(() => window.ncStatus().evolution.generation === 3 && !window.ncStatus().evolution.running);
    const native = web.run(web.creatureLab, ['evolve', '--behaviour', 'follow', '--population', '12', '--generations', '3',
        '--seed', '7', '-o', 'evolved.txt'], work);
    assert.equal(native.status, 0, native.err);
    assert.deepEqual((await page.textContent('#evolve-lines')).split('\n'),
        native.out.split('\n').filter((line) => line.startsWith('generation ')));
    assert.deepEqual(errors, []);
    await page.close();
});

// V8 runs WebAssembly SIMD only with SSE4.1; without it, the page starts the plain build by itself.
test('where the browser refuses SIMD, the page starts the plain build and trains', async () => {
    const refusing = await web.startBrowser({}, ['--js-flags=--no-enable-sse4-1']);
    try {
        const {page, errors} = await web.openPage(refusing.context, web.fileUrl());
        assert.equal(await engineBuild(page), 'plain');
        assert.equal((await page.evaluate(() => window.ncStep(1e6))).state, 'converged');
        assert.deepEqual(errors, []);
    } finally {
        await refusing.close();
    }
});

// Each case: the WebAssembly the page meets, the state it settles in, what shows, and why.
const startCases = [
    {setUp: () => {}, state: 'simd', shown: ['lab-view', 'start-pause']},
    {setUp: () => { WebAssembly.instantiate = () => new Promise(() => {}); }, state: 'starting',
        shown: ['engine-starting']},
    {setUp: () => {
        const instantiate = WebAssembly.instantiate;
        let calls = 0;
        WebAssembly.instantiate = (...module) => (++calls === 1 ? Promise.reject(new Error('no SIMD here')) :
            instantiate(...module));
    }, state: 'plain', shown: ['lab-view', 'start-pause']},
    {setUp: () => { delete window.WebAssembly; }, state: 'failed', shown: ['engine-failed'], reason: /cannot run WebAssembly/},
    {setUp: () => { WebAssembly.instantiate = () => Promise.reject(new Error('refused here')); }, state: 'failed',
        shown: ['engine-failed'], reason: /did not start[^]*refused here/},
];

test('a line while the engine starts, the views once it has, a panel where it cannot', async () => {
    for (const {setUp, state, shown, reason} of startCases) {
        const page = await browser.context.newPage();
        const errors = [];
        page.on('pageerror', (error) => errors.push(error.message));
        await page.addInitScript(setUp);
        await page.goto(web.fileUrl());
        await page.waitForFunction((settled) => document.readyState === 'complete' &&
            document.body.dataset.engine === settled, state);
        const visible = await page.evaluate(() => ['engine-starting', 'engine-failed', 'lab-view', 'start-pause']
            .filter((id) => document.getElementById(id).checkVisibility()));
        assert.deepEqual(visible, shown, state);
        if (reason)
            assert.match(await page.textContent('#engine-failed'), reason);
        assert.deepEqual(errors, [], state);
        await page.close();
    }
});

test('without JavaScript, one line says the page needs it and nothing else shows', async () => {
    const page = await browser.context.newPage();
    const session = await page.context().newCDPSession(page);
    await session.send('Emulation.setScriptExecutionDisabled', {value: true});
    await page.goto(web.fileUrl());
    assert.deepEqual(await page.locator('.engine-notice:visible').allTextContents(),
        ['This page needs JavaScript: turn it on for this page, or open the page in a browser that has it.']);
    assert.equal(await page.locator('#start-pause').isVisible(), false);
    await page.close();
});
