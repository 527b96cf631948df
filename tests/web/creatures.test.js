// The creatures view as a user meets it, served over loopback: frame for frame the drift that
// creature_lab traces, the spotlight under the mouse, networks chosen in the input.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, test} = require('node:test');
const web = require('./browser.js');

const frames = 1000;
let browser;
let server;
let page;
let requests;
let errors;
const work = web.temporaryDirectory('nc-creatures-test-');

before(async () => {
    browser = await web.startBrowser();
    server = await web.servePage();
    ({page, requests, errors} = await web.openPage(browser.context, `${server.url}#creatures`));
});

after(async () => {
    await browser.close();
    await server.close();
    fs.rmSync(work, {recursive: true, force: true});
});

const status = () => page.evaluate(() => window.ncStatus());

// creature_lab's drift trace of an example creature (or of a file in the work directory):
// per frame, creature x, y, light x, y.
function driftTrace(network, example = true) {
    if (example)
        web.copyExample(network, work);
    const result = web.run(web.creatureLab, ['trace', network, '--scenario', 'drift', '--frames', String(frames),
        '-o', 'trace.csv'], work);
    assert.equal(result.status, 0, result.err);
    const [header, ...rows] = fs.readFileSync(path.join(work, 'trace.csv'), 'utf8').trim().split('\n');
    const column = header.split(',');
    const at = (name) => column.indexOf(name);
    return rows.map((row) => row.split(',').map(Number))
        .map((values) => [values[at('frame')], values[at('creature_x')], values[at('creature_y')],
            values[at('light_x')], values[at('light_y')]]);
}

// The page's first frames for the creature of the example list, from a fresh world.
async function pageFrames(network) {
    await page.evaluate(() => window.ncStep(0));  // paused: no frame runs on its own
    const other = network === 'follower.txt' ? 'avoider.txt' : 'follower.txt';
    await page.selectOption('#creature', other);
    await page.selectOption('#creature', network);
    return page.evaluate((count) => {
        const rows = [];
        for (let frame = 0; frame < count; ++frame) {
            const {frame: number, creature, light} = window.ncStep(1);
            rows.push([number, creature.x, creature.y, light.x, light.y]);
        }
        return rows;
    }, frames);
}

test('served over loopback it opens on the creatures view and asks for nothing but the page', async () => {
    const shown = await status();
    assert.deepEqual(Object.keys(shown).sort(), ['creature', 'evolution', 'frame', 'light', 'view']);
    assert.equal(shown.view, 'creatures');
    assert.equal(shown.light.radius, 64);
    assert.deepEqual(requests, [server.url]);
});

for (const network of ['config_generated.txt', 'follower.txt']) {
    test(`the first ${frames} frames of ${network} are creature_lab's drift trace`, async () => {
        const expected = driftTrace(network);
        const shown = await pageFrames(network);
        assert.equal(shown.length, expected.length);
        for (let frame = 0; frame < frames; ++frame)
            assert.deepEqual(shown[frame], expected[frame], `frame ${frame + 1}`);
    });
}

test('the follower moves in that drift, so the comparison is not hollow', async () => {
    const rows = driftTrace('follower.txt');
    const travelled = rows.reduce((sum, row, i) => (i === 0 ? 0 : sum + Math.abs(row[1] - rows[i - 1][1])), 0);
    assert.ok(travelled > 5, `travelled ${travelled}`);
});

test('the mouse moves the spotlight', async () => {
    await page.evaluate(() => window.ncStep(0));
    const box = await page.locator('#arena').boundingBox();
    await page.mouse.move(box.x + 200, box.y + 150);
    const {light} = await status();
    assert.ok(Math.abs(light.x - 200) <= 1 && Math.abs(light.y - 150) <= 1, JSON.stringify(light));
    const [stepped] = await page.evaluate(() => [window.ncStep(1)]);
    // From there it drifts on, one pixel a frame along each axis.
    assert.deepEqual([Math.abs(stepped.light.x - light.x), Math.abs(stepped.light.y - light.y)], [1, 1]);
});

test('a network file chosen drives the creature; one that is no creature\'s says so', async () => {
    await page.setInputFiles('#creature-file', path.join(web.examplesDir, 'circler.txt'));
    await page.waitForFunction(() => /frame: 0 /.test(document.getElementById('creature-line').textContent));
    assert.equal(await page.$$eval('#creature-problems li', (items) => items.length), 0);
    await page.setInputFiles('#creature-file', path.join(web.examplesDir, 'xor.txt'));
    await page.waitForFunction(() => document.querySelectorAll('#creature-problems li').length > 0);
    assert.match(await page.textContent('#creature-problems'), /xor\.txt: .*3 inputs and 4 outputs/);
    const still = await page.evaluate(() => window.ncStep(20));
    assert.deepEqual([still.creature.x, still.creature.y], [320, 240]);
});

// creature_lab evolve's generation lines and written file for a small evolution.
function nativeEvolution(behaviour, generations) {
    const file = `evolved-${behaviour}-${generations}.txt`;
    const result = web.run(web.creatureLab, ['evolve', '--behaviour', behaviour, '--population', '12',
        '--generations', String(generations), '--seed', '7', '-o', file], work);
    assert.equal(result.status, 0, result.err);
    return {lines: result.out.split('\n').filter((line) => line.startsWith('generation ')),
        text: fs.readFileSync(path.join(work, file), 'utf8')};
}

// Whether two network files say the same: every word the same, every number within a part in
// 1e12 of the other. The browser's mathematics library and Debian's round a cosine or a
// logarithm apart in the last bit now and then, which leaves the last of a weight's 17
// decimals apart.
function sameNetworkFile(shown, expected) {
    const words = (text) => text.split(/\s+/);
    const [a, b] = [words(shown), words(expected)];
    return a.length === b.length && a.every((word, i) => {
        const [x, y] = [Number(word), Number(b[i])];
        return word === b[i] || (/^-?[0-9]/.test(word) && Number.isFinite(x) && Number.isFinite(y) &&
            Math.abs(x - y) <= 1e-12 * Math.max(1, Math.abs(y)));
    });
}

// The page's evolution of population 12 (seed 7 unless told) from the controls, run until it stops.
async function evolveInPage(behaviour, generations, seed = 7) {
    await page.selectOption('#evolve-behaviour', behaviour);
    await page.fill('#evolve-population', '12');
    await page.fill('#evolve-generations', String(generations));
    await page.fill('#evolve-seed', String(seed));
    await page.click('#evolve-start');
    await page.waitForFunction((count) => {
        const {generation, running} = window.ncStatus().evolution;
        return generation === count && !running;
    }, generations, {timeout: 60000});
    return (await page.textContent('#evolve-lines')).split('\n');
}

for (const behaviour of ['follow', 'flee', 'circle']) {
    test(`10 generations evolved to ${behaviour} score as creature_lab's and save its file`, async () => {
        const native = nativeEvolution(behaviour, 10);
        assert.deepEqual(await evolveInPage(behaviour, 10), native.lines);
        const {evolution} = await status();
        const last = native.lines[9].match(/best ([0-9.]+), mean ([0-9.]+)/);
        assert.deepEqual([evolution.bestScore.toFixed(3), evolution.meanScore.toFixed(3)], [last[1], last[2]]);
        const [file] = await Promise.all([page.waitForEvent('download'), page.click('#evolve-save')]);
        assert.equal(file.suggestedFilename(), 'evolved.txt');
        const saved = path.join(work, `downloaded-${behaviour}.txt`);
        await file.saveAs(saved);
        assert.ok(sameNetworkFile(fs.readFileSync(saved, 'utf8'), native.text), 'the saved best is creature_lab\'s file');
    });
}

test('the generation\'s best creature drives in the arena, as creature_lab traces it', async () => {
    await page.evaluate(() => window.ncStep(0));  // each generation's creature waits at frame 0
    // With seed 3 the tenth generation's best is the best so far, the file creature_lab writes.
    const file = 'evolved-follow-seed-3.txt';
    assert.equal(web.run(web.creatureLab, ['evolve', '--behaviour', 'follow', '--population', '12',
        '--generations', '10', '--seed', '3', '-o', file], work).status, 0);
    await evolveInPage('follow', 10, 3);
    const start = await status();
    assert.deepEqual([start.frame, start.creature.x, start.creature.y], [0, 320, 240]);
    const expected = driftTrace(file, false);
    const shown = await page.evaluate(() => Array.from({length: 1000}, () => {
        const {frame, creature, light} = window.ncStep(1);
        return [frame, creature.x, creature.y, light.x, light.y];
    }));
    // The weights agree to about 15 digits (see sameNetworkFile), the path as closely.
    shown.forEach((row, i) => row.forEach((value, k) =>
        assert.ok(Math.abs(value - expected[i][k]) < 1e-6, `frame ${i + 1}: ${row} against ${expected[i]}`)));
    assert.ok(Math.abs(shown[999][1] - 320) + Math.abs(shown[999][2] - 240) > 1, 'the evolved creature moves');
});

test('an evolution out of creature_lab\'s ranges is refused and says why', async () => {
    for (const [population, generations, reason] of [
        ['3', '10', 'the population must be a whole number from 4 to 100000'],
        ['12', '0', 'the generations must be a whole number from 1 to 1000000'],
        ['12.5', '10', 'the population must be a whole number from 4 to 100000']]) {
        await page.fill('#evolve-population', population);
        await page.fill('#evolve-generations', generations);
        await page.click('#evolve-start');
        await page.waitForFunction(() => document.getElementById('evolve-line').textContent.startsWith('not started'));
        assert.equal(await page.textContent('#evolve-line'), `not started: ${reason}`);
        assert.equal((await status()).evolution.running, false);
        await page.fill('#evolve-population', '12');
        await page.fill('#evolve-generations', '1');
        await page.click('#evolve-start');
        await page.waitForFunction(() => !document.getElementById('evolve-line').textContent.startsWith('not started') &&
            !window.ncStatus().evolution.running);
    }
});

test('opened from a file, the page evolves as well', async () => {
    const opened = await web.openPage(browser.context, web.fileUrl('#creatures'));
    try {
        await opened.page.fill('#evolve-population', '12');
        await opened.page.fill('#evolve-generations', '2');
        await opened.page.fill('#evolve-seed', '7');
        await opened.page.click('#evolve-start');
        await opened.page.waitForFunction(() => !window.ncStatus().evolution.running &&
            window.ncStatus().evolution.generation === 2);
        assert.deepEqual((await opened.page.textContent('#evolve-lines')).split('\n'),
            nativeEvolution('follow', 2).lines);
        assert.deepEqual(opened.errors, []);
    } finally {
        await opened.page.close();
    }
});

test('a paused evolution stops between generations and Start goes on with the next one', async () => {
    await page.selectOption('#evolve-behaviour', 'follow');
    await page.fill('#evolve-population', '12');
    await page.fill('#evolve-generations', '40');
    await page.fill('#evolve-seed', '7');
    await page.click('#evolve-start');
    await page.click('#evolve-pause');
    await page.waitForFunction(() => !window.ncStatus().evolution.running);
    const paused = (await status()).evolution.generation;
    await page.click('#evolve-start');
    await page.waitForFunction((count) => window.ncStatus().evolution.generation > count, paused);
    await page.click('#evolve-pause');
    await page.waitForFunction(() => !window.ncStatus().evolution.running);
    const shown = (await page.textContent('#evolve-lines')).split('\n');
    assert.ok(shown.length > paused, `${shown.length} generations after going on from ${paused}`);
    assert.deepEqual(shown, nativeEvolution('follow', shown.length).lines);
});

test('the tabs and the URL hash switch between the views', async () => {
    await page.click('#tab-lab');
    await page.waitForFunction(() => window.ncStatus().view === 'lab');
    assert.ok(await page.isVisible('#network-canvas'));
    assert.ok(await page.isHidden('#arena'));
    await page.evaluate(() => { location.hash = '#creatures'; });
    await page.waitForFunction(() => window.ncStatus().view === 'creatures');
    assert.ok(await page.isVisible('#arena'));
    assert.deepEqual(errors, []);
});
