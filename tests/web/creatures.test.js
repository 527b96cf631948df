// The creatures view as a user meets it, served over loopback: frame for frame the drift that
// creature_lab traces, the spotlight under the mouse, networks chosen in the input.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, test} = require('node:test');
const web = require('./browser.js');
const {shortNumber} = require(path.join(web.root, 'web', 'page', 'page_state.js'));

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

// creature_lab's drift trace of a network file in the work folder: per frame, an object of
// the trace's columns by name.
function traceRows(network) {
    const result = web.run(web.creatureLab, ['trace', network, '--scenario', 'drift', '--frames', String(frames),
        '-o', 'trace.csv'], work);
    assert.equal(result.status, 0, result.err);
    const [header, ...rows] = fs.readFileSync(path.join(work, 'trace.csv'), 'utf8').trim().split('\n');
    const column = header.split(',');
    return rows.map((row) => Object.fromEntries(row.split(',').map((value, i) => [column[i], Number(value)])));
}

// creature_lab's drift trace of an example creature: per frame, creature x, y, light x, y.
function driftTrace(network) {
    web.copyExample(network, work);
    return traceRows(network).map((row) => [row.frame, row.creature_x, row.creature_y, row.light_x, row.light_y]);
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
    const expected = traceRows(file).map((row) => [row.frame, row.creature_x, row.creature_y, row.light_x, row.light_y]);
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

// The page's world stepped `count` frames from the start of `network`, an example.
async function stepFresh(network, count) {
    await page.evaluate(() => window.ncStep(0));
    await page.selectOption('#creature', network === 'follower.txt' ? 'avoider.txt' : 'follower.txt');
    await page.selectOption('#creature', network);
    return page.evaluate((frameCount) => window.ncStep(frameCount), count);
}

test('the network beside the arena shows the sensor values and pulls of creature_lab\'s trace, frame for frame', async () => {
    web.copyExample('follower.txt', work);
    const rows = traceRows('follower.txt');
    // In the dark, at the light's first touch, and under the light.
    for (const frame of [1, 155, 300]) {
        await stepFresh('follower.txt', frame);
        const row = rows[frame - 1];
        const values = (names) => names.map((name) => shortNumber(row[name])).join(' ');
        assert.equal(await page.textContent('#creature-values'),
            `sensors left, top, right: ${values(['sensor_left', 'sensor_top', 'sensor_right'])}\n` +
            `pulls left, right, up, down: ${values(['output_left', 'output_right', 'output_up', 'output_down'])}`,
            `frame ${frame}`);
    }
});

test('at a pixel ratio of 2 the arena\'s backing store doubles and the trail lies on creature_lab\'s path', async () => {
    await page.evaluate(() => Object.defineProperty(window, 'devicePixelRatio', {get: () => 2, configurable: true}));
    const shown = 300;
    web.copyExample('follower.txt', work);
    const rows = traceRows('follower.txt');
    await stepFresh('follower.txt', shown);
    const pixel = (x, y) => page.evaluate(([px, py]) => {
        const arena = document.getElementById('arena');
        return Array.from(arena.getContext('2d').getImageData(2 * px, 2 * py, 1, 1).data);
    }, [Math.round(x), Math.round(y)]);
    assert.deepEqual(await page.$eval('#arena', (arena) => [arena.width, arena.height, arena.clientWidth]),
        [1280, 960, 640]);
    // Where the creature was 50 frames ago, well clear of its body: orange, not the light's grey.
    const {creature_x: x, creature_y: y} = rows[shown - 50];
    const last = rows[shown - 1];
    assert.ok(Math.hypot(x - last.creature_x, y - last.creature_y) > 40, 'the creature moved away');
    const [red, , blue] = await pixel(x, y);
    assert.ok(red - blue > 60, `trail pixel ${[red, blue]} at ${x}, ${y}`);
    await page.evaluate(() => delete window.devicePixelRatio);
});

test('the Creature box and the state line name what drives: a chosen file, a refused one, an example again', async () => {
    const named = () => page.evaluate(() => {
        const select = document.getElementById('creature');
        return [select.selectedOptions[0].textContent, document.getElementById('creature-line').textContent.split('\n')[0]];
    });
    const lineIs = (text) => page.waitForFunction((shown) =>
        document.getElementById('creature-line').textContent.startsWith(shown), text);
    await page.setInputFiles('#creature-file', path.join(web.examplesDir, 'circler.txt'));
    await lineIs('circler.txt drives');
    assert.deepEqual(await named(), ['circler.txt (your file)', 'circler.txt drives']);
    await page.setInputFiles('#creature-file', path.join(web.examplesDir, 'xor.txt'));
    await lineIs('no creature');
    assert.deepEqual(await named(), ['xor.txt (refused)', 'no creature drives: xor.txt was refused']);
    assert.equal(await page.textContent('#creature-values'), '');
    await page.selectOption('#creature', 'avoider.txt');
    await lineIs('avoider.txt drives');
    assert.deepEqual(await named(), ['avoider.txt', 'avoider.txt drives']);
    assert.ok(await page.$eval('#creature-own', (own) => own.hidden));
});

test('the arrow keys move the spotlight while no control has the focus', async () => {
    await page.evaluate(() => { window.ncStep(0); document.activeElement.blur(); });
    const keys = [['ArrowRight', [10, 0]], ['ArrowUp', [0, -10]], ['Shift+ArrowLeft', [-50, 0]],
        ['Shift+ArrowDown', [0, 50]]];
    for (const [key, [dx, dy]] of keys) {
        const before = (await status()).light;
        await page.keyboard.press(key);
        const {light} = await status();
        assert.deepEqual([light.x - before.x, light.y - before.y], [dx, dy], key);
    }
    await page.focus('#creature-pause');
    const before = (await status()).light;
    await page.keyboard.press('ArrowRight');
    assert.deepEqual((await status()).light, before);
    await page.evaluate(() => document.activeElement.blur());
    await page.evaluate(() => window.ncStep(1));
    assert.match(await page.getAttribute('#arena', 'aria-label'),
        new RegExp(`creature at .*spotlight at ${Math.round(before.x + 1)}, ${Math.round(before.y + 1)},`));
});

test('the lab drives a creature with its trained network, one of 3 inputs and 4 outputs only', async () => {
    await page.evaluate(() => window.ncStep(0));  // the creature waits for ncStep
    await page.click('#tab-lab');
    await page.waitForFunction(() => window.ncStatus().view === 'lab');
    await page.selectOption('#example', {label: 'Exclusive-or'});
    await page.waitForFunction(() => window.ncStatus().layers.join() === '2,2,1');
    assert.ok(await page.isHidden('#drive-creature'));
    await page.selectOption('#example', {label: 'A creature that follows the light'});
    await page.waitForFunction(() => window.ncStatus().layers.join() === '3,4');
    await page.evaluate(() => window.ncStep(300));
    await page.waitForSelector('#drive-creature', {state: 'visible'});
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    await download.saveAs(path.join(work, 'lab_trained.txt'));
    await page.click('#drive-creature');
    await page.waitForFunction(() => window.ncStatus().view === 'creatures');
    assert.match(await page.$eval('#creature', (select) => select.selectedOptions[0].textContent),
        /^trained\.txt \(the lab's network after 300 passes\)$/);
    const shown = await page.evaluate((count) =>
        Array.from({length: count}, () => window.ncStep(1)).map(({creature}) => [creature.x, creature.y]), frames);
    const path_ = (network) => traceRows(network).map((row) => [row.creature_x, row.creature_y]);
    assert.deepEqual(shown, path_('lab_trained.txt'));
    // Not the network before training: it takes another path.
    web.copyExample('follower_training.txt', work);
    assert.notDeepEqual(shown, path_('follower_training.txt'));
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

test('axe-core finds nothing to mend in the creatures view, driving or with a refused file', async () => {
    await page.selectOption('#creature', 'follower.txt');
    await page.evaluate(() => window.ncStep(20));
    assert.deepEqual(await web.axeViolations(page), []);
    fs.writeFileSync(path.join(work, 'two_outputs.txt'), 'input_layer: 3\ncomp_layer: 2\n');
    await page.setInputFiles('#creature-file', path.join(work, 'two_outputs.txt'));
    await page.waitForFunction(() => document.querySelectorAll('#creature-problems li').length > 0);
    assert.deepEqual(await web.axeViolations(page), []);
});
