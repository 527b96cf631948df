// The lab view as a user meets it, opened from a file: exclusive-or trained with keys and
// buttons converges at net_train's pass and saves net_train's bytes, files load through the
// inputs and by dropping, a file that cannot be used lists its problems, and outputs that are
// not numbers or a network the file format cannot hold are refused as net_train refuses them.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, test} = require('node:test');
const web = require('./browser.js');

let browser;
let page;
let requests;
let errors;
const work = web.temporaryDirectory('nc-lab-test-');

before(async () => {
    browser = await web.startBrowser();
    ({page, requests, errors} = await web.openPage(browser.context, web.fileUrl()));
});

after(async () => {
    await browser.close();
    fs.rmSync(work, {recursive: true, force: true});
});

const status = () => page.evaluate(() => window.ncStatus());

// net_train's report and written file for a network (and training) file of the examples.
function trainNatively(network, training, output) {
    web.copyExample(network, work);
    const args = [network, '-o', output];
    if (training) {
        web.copyExample(training, work);
        args.push('-t', training);
    }
    const result = web.run(web.netTrain, args, work);
    assert.equal(result.status, 0, result.err);
    const [, passes, limit] = result.out.match(/^passes: (\d+) \(limit (\d+)\)$/m);
    return {passes: Number(passes), limit: Number(limit), bytes: fs.readFileSync(path.join(work, output))};
}

async function download(action) {
    const [file] = await Promise.all([page.waitForEvent('download'), action()]);
    assert.equal(file.suggestedFilename(), 'trained.txt');
    const saved = path.join(work, `downloaded-${Date.now()}.txt`);
    await file.saveAs(saved);
    return fs.readFileSync(saved);
}

test('opens from a file on exclusive-or, paused, and asks nothing of any server', async () => {
    const shown = await status();
    assert.deepEqual(Object.keys(shown).sort(),
        ['maxIterations', 'meanSquaredError', 'outputsAreNumbers', 'passes', 'state', 'view', 'worstError']);
    assert.equal(shown.view, 'lab');
    assert.equal(shown.passes, 0);
    assert.equal(shown.state, 'paused');
    assert.ok(shown.worstError > 0.1);
    assert.equal(shown.outputsAreNumbers, true);
    assert.deepEqual(requests, [web.fileUrl()]);
    assert.deepEqual(errors, []);
});

test('trained with the keys, exclusive-or converges at net_train\'s pass; S saves net_train\'s bytes', async () => {
    const native = trainNatively('exclusive_or_training.txt', null, 'native.txt');
    for (let i = 0; i < 3; ++i)
        await page.keyboard.press('+');
    await page.keyboard.press(' ');
    await page.waitForFunction(() => window.ncStatus().state !== 'training', null, {timeout: 60000});
    const shown = await status();
    assert.equal(shown.state, 'converged');
    assert.equal(shown.passes, native.passes);
    assert.equal(shown.maxIterations, native.limit);
    assert.ok(shown.worstError < 0.1);
    assert.equal(await page.textContent('#passes'), `passes: ${native.passes} of ${native.limit}`);
    assert.equal(await page.textContent('#state'), 'state: converged');
    assert.ok((await download(() => page.keyboard.press('s'))).equals(native.bytes));
});

test('the buttons do what the keys do, for touch screens', async () => {
    await page.click('#reset');
    assert.deepEqual(await status().then(({passes, state}) => ({passes, state})), {passes: 0, state: 'paused'});
    await page.click('#one-pass');
    assert.equal((await status()).passes, 1);
    for (let i = 0; i < 15; ++i)
        await page.click('#slower');  // one pass a frame: training cannot finish in between
    await page.click('#start-pause');
    assert.equal((await status()).state, 'training');
    await page.click('#start-pause');
    const paused = await status();
    assert.equal(paused.state, 'paused');
    const native = trainNatively('exclusive_or_training.txt', null, 'native.txt');
    await page.evaluate(() => window.ncStep(1e6));
    assert.equal((await status()).passes, native.passes);
    assert.ok((await download(() => page.click('#save'))).equals(native.bytes));
});

test('ncStep pauses and makes exactly the passes asked for', async () => {
    await page.click('#reset');
    await page.click('#start-pause');
    // Frames train in between calls, so the count before a step is read in the same call.
    const [before, stepped] = await page.evaluate(() => [window.ncStatus(), window.ncStep(1000)]);
    assert.equal(before.state, 'training');
    assert.equal(stepped.state, 'paused');
    assert.equal(stepped.passes, before.passes + 1000);
    assert.equal((await page.evaluate(() => window.ncStep(234))).passes, before.passes + 1234);
    assert.equal((await page.evaluate(() => window.ncStep(0))).passes, before.passes + 1234);
});

test('a network file and a CSV table chosen in the inputs train as net_train trains them', async () => {
    const native = trainNatively('exclusive_or_training.txt', 'exclusive_or_patterns.csv', 'csv.txt');
    await page.setInputFiles('#network-file', path.join(web.examplesDir, 'exclusive_or_training.txt'));
    await page.setInputFiles('#training-file', path.join(web.examplesDir, 'exclusive_or_patterns.csv'));
    await page.waitForFunction(() => document.getElementById('state-details').textContent
        .includes('exclusive_or_training.txt + exclusive_or_patterns.csv'));
    assert.equal((await status()).passes, 0);
    const trained = await page.evaluate(() => window.ncStep(1e6));
    assert.equal(trained.state, 'converged');
    assert.equal(trained.passes, native.passes);
    assert.ok((await download(() => page.keyboard.press('s'))).equals(native.bytes));
});

test('a file that cannot be used lists its problems with their lines, as the tools name them', async () => {
    const bad = path.join(work, 'broken.txt');
    fs.writeFileSync(bad, 'input_layer: 2\ncomp_layer: 1\n  weights: 0.5 oops\npattern: 1 0 1\n');
    const native = web.run(web.netTrain, ['broken.txt'], work);
    const nativeLines = native.err.split('\n').filter((line) => line.startsWith('net_train: broken.txt'))
        .map((line) => line.slice('net_train: '.length));
    await page.setInputFiles('#network-file', bad);
    await page.waitForFunction(() => document.querySelectorAll('#problems li').length > 0);
    const listed = await page.$$eval('#problems li', (items) => items.map((item) => item.textContent));
    assert.ok(listed.some((line) => line.startsWith('broken.txt:3: ')), listed.join('\n'));
    for (const line of listed)
        assert.ok(nativeLines.includes(line), `${line} is not among net_train's:\n${nativeLines.join('\n')}`);
    assert.equal((await page.evaluate(() => window.ncStep(10))).passes, 0);
});

test('a dropped network file is loaded; the maps show for two inputs, the worst patterns otherwise', async () => {
    const text = fs.readFileSync(path.join(web.examplesDir, 'follower_training.txt'), 'utf8');
    const dropped = await page.evaluateHandle((contents) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([contents], 'follower_training.txt', {type: 'text/plain'}));
        return transfer;
    }, text);
    await page.dispatchEvent('body', 'drop', {dataTransfer: dropped});
    await page.waitForFunction(() => document.getElementById('state-details').textContent.startsWith('follower_training.txt'));
    assert.equal(await page.$$eval('#problems li', (items) => items.length), 0);
    await page.evaluate(() => window.ncStep(50));
    assert.ok(await page.isHidden('#map-canvas'));
    const errors = await page.$$eval('#pattern-table tr', (rows) => rows.slice(1).map((row) => Number(row.cells[1].textContent)));
    assert.ok(errors.length > 1 && errors.length <= 10);
    assert.deepEqual(errors, [...errors].sort((a, b) => b - a));

    const native = trainNatively('exclusive_or.txt', 'exclusive_or_patterns.csv', 'trained_again.txt');
    await page.focus('#example');
    await page.selectOption('#example', {label: 'exclusive_or.txt + exclusive_or_patterns.csv'});
    await page.waitForFunction(() => !document.getElementById('map-canvas').hidden);
    // The choice made, the keys reach the page rather than the list.
    assert.notEqual(await page.evaluate(() => document.activeElement.id), 'example');
    assert.ok(await page.isHidden('#pattern-table'));
    const trained = await page.evaluate(() => window.ncStep(1e6));
    assert.equal(trained.state, 'converged');
    assert.equal(trained.passes, native.passes);
});

test('a network of more connections than are drawn loads and answers at once', async () => {
    const large = path.join(work, 'large.txt');
    fs.writeFileSync(large, 'input_layer: 400\ncomp_layer: 300\ncomp_layer: 10\n');  // 123,000 weights drawn
    await page.setInputFiles('#network-file', large);
    await page.waitForFunction(() => document.getElementById('state-details').textContent.startsWith('large.txt'));
    assert.match(await page.textContent('#problems'), /large\.txt: no patterns/);
    assert.match(await page.textContent('#state-details'), /seed: \d+ \(123000 weights\)/);
    assert.equal((await status()).state, 'no usable patterns');
});

// The engine's check lets an output that is not a number pass; net_train calls such a run no
// success and refuses what the file format cannot hold, and so does the page, downloading nothing.
test('outputs that are not numbers are no convergence, and S downloads nothing the file cannot hold', async () => {
    const layers = 'input_layer: 2\ncomp_layer: 1\n';
    const cases = [
        // 10 * 1e308 and 10 * -1e308 overflow to +inf and -inf, whose sum is not a number.
        {name: 'overflow.txt', text: `${layers}  weights: 10 10\npattern: 1e308 -1e308 -> 0.5\n`, numbers: false},
        // One pass trains on that output and makes the weights not numbers.
        {name: 'nan_weights.txt', text: `${layers}  weights: 10 -9\npattern: 0 0 -> 1\npattern: 1e308 1e308 -> 1\n` +
            'max_iterations: 3\n', numbers: false, refused: 'not saved: training gave weights that are not finite numbers'},
        // A threshold between the layers gives them different thresholds.
        {name: 'thresholds.txt', text: 'input_layer: 2\ncomp_layer: 2\ntreshold: 0.5\ncomp_layer: 1\n' +
            'pattern: 0 1 -> 1\nmax_iterations: 3\n', numbers: true, refused: 'not saved: the file format cannot hold'},
    ];
    await page.evaluate(() => {
        window.ncDownloadsMade = 0;
        const create = URL.createObjectURL;
        URL.createObjectURL = (blob) => (++window.ncDownloadsMade, create(blob));
    });
    for (const {name, text, numbers, refused} of cases) {
        fs.writeFileSync(path.join(work, name), text);
        const native = web.run(web.netTrain, [name, '-o', `native_${name}`], work);
        await page.setInputFiles('#network-file', path.join(work, name));
        await page.waitForFunction((file) => document.getElementById('state-details').textContent.startsWith(file),
            name);
        const trained = await page.evaluate(() => window.ncStep(10));
        assert.equal(trained.outputsAreNumbers, numbers, name);
        assert.equal(trained.worstError === Infinity, !numbers, name);
        assert.equal(trained.state === 'outputs are not numbers', !numbers, name);
        assert.equal(native.out.includes('result: outputs are not numbers'), !numbers, name);
        if (!numbers)
            assert.equal(await page.textContent('#state'), 'state: outputs are not numbers');
        if (!refused) {
            const saved = await download(() => page.keyboard.press('s'));
            assert.ok(saved.equals(fs.readFileSync(path.join(work, `native_${name}`))), name);
            continue;
        }
        const before = await page.evaluate(() => window.ncDownloadsMade);
        await page.keyboard.press('s');
        await page.waitForFunction((said) => document.getElementById('state-details').textContent.includes(said),
            refused);
        const details = await page.textContent('#state-details');
        assert.equal(await page.evaluate(() => window.ncDownloadsMade), before, name);
        assert.equal(native.status, 65, native.err);
        // net_train names the same losses.
        for (const loss of native.err.split('\n').filter((line) => line.includes('cannot hold the trained network: ')))
            assert.ok(details.includes(loss.split('cannot hold the trained network: ')[1]), `${loss}\n${details}`);
    }
});

// Layers wide enough for the vector kernels, a layer of ten next to them, narrow layers
// between wide ones and a last block narrower than the others.
test('wider networks train in the page to net_train\'s bytes', async () => {
    for (const sizes of [[64, 32, 10], [5, 9, 17, 3], [6, 100, 3], [4, 130, 3], [3, 4, 40, 2, 20]]) {
        const name = `layers_${sizes.join('_')}.txt`;
        fs.writeFileSync(path.join(work, name), web.layeredNetwork(sizes, 7, 25));
        const native = web.run(web.netTrain, [name, '-o', `native_${name}`], work);
        assert.equal(native.status, 1, native.err);  // the iteration limit
        await page.setInputFiles('#network-file', path.join(work, name));
        await page.waitForFunction((file) => document.getElementById('state-details').textContent.startsWith(file),
            name);
        assert.equal((await page.evaluate(() => window.ncStep(25))).state, 'iteration limit', name);
        const saved = await download(() => page.click('#save'));
        assert.ok(saved.equals(fs.readFileSync(path.join(work, `native_${name}`))), name);
    }
});

test('nothing went wrong in the page', () => {
    assert.deepEqual(errors, []);
    assert.ok(requests.every((url) => /^(file|blob|data):/.test(url)), requests.join('\n'));
});
