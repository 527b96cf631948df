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
    const result = {build: await engineBuild(page), layers: (await page.evaluate(() => window.ncStatus())).layers,
        lesson, bytes: fs.readFileSync(saved), errors};
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

// V8 runs WebAssembly SIMD only with SSE4.1; without it, the page starts the plain build by itself.
test('where the browser refuses SIMD, the page starts the plain build and trains', async () => {
    const refusing = await web.startBrowser(['--js-flags=--no-enable-sse4-1']);
    try {
        const {page, errors} = await web.openPage(refusing.context, web.fileUrl());
        assert.equal(await engineBuild(page), 'plain');
        assert.equal((await page.evaluate(() => window.ncStep(1e6))).state, 'converged');
        assert.deepEqual(errors, []);
    } finally {
        await refusing.close();
    }
});

// Each case: the WebAssembly the page meets, the line or panel shown, and the panel's reason.
const startCases = [
    {name: 'ready', setUp: () => {}, shown: 'lab-view', reason: null},
    {name: 'starting', setUp: () => { WebAssembly.instantiate = () => new Promise(() => {}); }, shown: 'engine-starting',
        reason: null},
    {name: 'missing', setUp: () => { delete window.WebAssembly; }, shown: 'engine-failed',
        reason: /cannot run WebAssembly/},
    {name: 'refused', setUp: () => { WebAssembly.instantiate = () => Promise.reject(new Error('refused here')); },
        shown: 'engine-failed', reason: /did not start[^]*refused here/},
];

test('a line while the engine starts, the views once it has, a panel where it cannot', async () => {
    for (const {name, setUp, shown, reason} of startCases) {
        const page = await browser.context.newPage();
        const errors = [];
        page.on('pageerror', (error) => errors.push(error.message));
        await page.addInitScript(setUp);
        await page.goto(web.fileUrl());
        await page.waitForFunction(() => document.readyState === 'complete');
        if (name === 'ready')
            await page.waitForFunction(() => typeof window.ncStatus === 'function');
        if (reason)
            await page.waitForFunction(() => document.body.dataset.engine === 'failed');
        const visible = await page.evaluate(() => ['engine-starting', 'engine-failed', 'lab-view', 'start-pause']
            .filter((id) => document.getElementById(id).checkVisibility()));
        const expected = shown === 'lab-view' ? ['lab-view', 'start-pause'] : [shown];
        assert.deepEqual(visible, expected, name);
        if (reason)
            assert.match(await page.textContent('#engine-failed'), reason, name);
        assert.deepEqual(errors, [], name);
        await page.close();
    }
});
