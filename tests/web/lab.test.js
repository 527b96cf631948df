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

// Drops files, each {name, text}, on the page as a user drops them from a file manager.
async function dropFiles(files) {
    const transfer = await page.evaluateHandle((list) => {
        const data = new DataTransfer();
        for (const {name, text} of list)
            data.items.add(new File([text], name, {type: 'text/plain'}));
        return data;
    }, files);
    await page.dispatchEvent('body', 'drop', {dataTransfer: transfer});
}

// Does `action` and waits for the page to load other files; the first state line, which names them.
async function filesLoaded(action) {
    const line = () => page.evaluate(() => document.getElementById('state-details').textContent.split('\n')[0]);
    const before = await line();
    await action();
    await page.waitForFunction((shown) => document.getElementById('state-details').textContent.split('\n')[0] !== shown,
        before);
    return line();
}

async function download(action, name = 'trained.txt') {
    const [file] = await Promise.all([page.waitForEvent('download'), action()]);
    assert.equal(file.suggestedFilename(), name);
    const saved = path.join(work, `downloaded-${Date.now()}.txt`);
    await file.saveAs(saved);
    return fs.readFileSync(saved);
}

test('opens from a file on exclusive-or, paused, and asks nothing of any server', async () => {
    const shown = await status();
    assert.deepEqual(Object.keys(shown).sort(),
        ['heldOut', 'layers', 'learnThresholds', 'maxIterations', 'meanSquaredError', 'outputsAreNumbers', 'passes',
            'patterns', 'seed', 'state', 'testMeanSquaredError', 'testWorstError', 'view', 'worstError']);
    assert.equal(shown.view, 'lab');
    assert.equal(shown.passes, 0);
    assert.equal(shown.state, 'paused');
    assert.ok(shown.worstError > 0.1);
    assert.equal(shown.outputsAreNumbers, true);
    // Firefox lists only what goes over the network: opened from a file, nothing.
    assert.deepEqual(requests, web.browserName === 'firefox' ? [] : [web.fileUrl()]);
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

test('ncStep refuses a count it cannot make exactly, and makes no pass', async () => {
    const before = (await status()).passes;
    for (const count of [2 ** 32 + 5, 2 ** 31, Infinity, 1e300, NaN, -1, 2.5, 'five']) {
        const outcome = await page.evaluate((asked) => {
            try {
                window.ncStep(asked);
                return 'stepped';
            } catch (error) {
                return error.name;
            }
        }, count);
        assert.equal(outcome, 'RangeError', String(count));
    }
    assert.equal((await status()).passes, before);
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

// Two files of one name from two folders: the slot each came in says which is which.
test('a training file named like the network adds its patterns, chosen or dropped', async () => {
    const file = (folder, example) => {
        fs.mkdirSync(path.join(work, folder), {recursive: true});
        const name = path.join(work, folder, 'data.txt');
        fs.copyFileSync(path.join(web.examplesDir, example), name);
        return name;
    };
    const network = file('network', 'exclusive_or.txt');
    const training = file('training', 'exclusive_or_training.txt');
    const creature = path.join(work, 'creature', 'data.txt');
    fs.mkdirSync(path.dirname(creature));
    fs.writeFileSync(creature, 'input_layer: 3\n');
    const native = web.run(web.netTrain, ['network/data.txt', '-t', 'training/data.txt', '-o', 'same_name.txt'], work);
    assert.equal(native.status, 0, native.err);
    const nativeBytes = fs.readFileSync(path.join(work, 'same_name.txt'));
    const shown = 'data.txt + data (training file).txt';

    assert.equal(await filesLoaded(() => page.setInputFiles('#network-file', network)), 'data.txt');
    // A file of the same name in the creatures view leaves the lab's network as it was.
    await page.evaluate(() => { location.hash = '#creatures'; });
    await page.setInputFiles('#creature-file', creature);
    await page.waitForFunction(() => document.getElementById('creature-problems').textContent.includes('data.txt'));
    await page.evaluate(() => { location.hash = '#lab'; });
    const chosen = await filesLoaded(() => page.setInputFiles('#training-file', training));
    assert.ok((await download(() => page.click('#save'))).equals(nativeBytes));
    assert.equal(chosen, shown);
    assert.equal(await page.$$eval('#problems li', (items) => items.length), 0);

    await filesLoaded(() => page.selectOption('#example', {label: 'A creature that follows the light'}));
    const dropped = await filesLoaded(() => dropFiles([network, training]
        .map((name) => ({name: 'data.txt', text: fs.readFileSync(name, 'utf8')}))));
    assert.ok((await download(() => page.click('#save'))).equals(nativeBytes));
    assert.equal(dropped, shown);
});

test('a CSV table dropped alone trains the loaded network, as through the training input', async () => {
    const native = trainNatively('exclusive_or_training.txt', 'exclusive_or_patterns.csv', 'lone_table.txt');
    await filesLoaded(() => page.setInputFiles('#network-file', path.join(web.examplesDir, 'exclusive_or_training.txt')));
    const table = fs.readFileSync(path.join(web.examplesDir, 'exclusive_or_patterns.csv'), 'utf8');
    assert.equal(await filesLoaded(() => dropFiles([{name: 'exclusive_or_patterns.csv', text: table}])),
        'exclusive_or_training.txt + exclusive_or_patterns.csv');
    assert.equal(await page.$$eval('#problems li', (items) => items.length), 0);
    assert.equal((await page.evaluate(() => window.ncStep(1e6))).passes, native.passes);
    assert.ok((await download(() => page.keyboard.press('s'))).equals(native.bytes));
});

test('a file that cannot be used lists its problems with their lines, as the tools name them', async () => {
    const files = [
        {name: 'broken.txt', first: 'broken.txt:3: ',
         bytes: Buffer.from('input_layer: 2\ncomp_layer: 1\n  weights: 0.5 oops\npattern: 1 0 1\n')},
        // Windows Notepad's "Unicode" and an old Mac's line ends are named as such.
        {name: 'unicode.txt', first: 'unicode.txt:1: the file is in UTF-16',
         bytes: Buffer.from('\ufeffinput_layer: 2\r\ncomp_layer: 1\r\npattern: 1 0 -> 1\r\n', 'utf16le')},
        {name: 'old_mac.txt', first: 'old_mac.txt:1: the lines end in carriage returns only',
         bytes: Buffer.from('input_layer: 2\rcomp_layer: 1\rpattern: 1 0 -> 1\r')},
    ];
    for (const file of files) {
        const written = path.join(work, file.name);
        fs.writeFileSync(written, file.bytes);
        const native = web.run(web.netTrain, [file.name], work);
        const nativeLines = native.err.split('\n').filter((line) => line.startsWith(`net_train: ${file.name}`))
            .map((line) => line.slice('net_train: '.length));
        await page.setInputFiles('#network-file', written);
        await page.waitForFunction((name) => [...document.querySelectorAll('#problems li')]
            .some((item) => item.textContent.startsWith(name)), file.name);
        const listed = await page.$$eval('#problems li', (items) => items.map((item) => item.textContent));
        assert.ok(listed.some((line) => line.startsWith(file.first)), listed.join('\n'));
        for (const line of listed)
            assert.ok(nativeLines.includes(line), `${line} is not among net_train's:\n${nativeLines.join('\n')}`);
        assert.equal((await page.evaluate(() => window.ncStep(10))).passes, 0);
    }
});

test('a warning is listed in the words of net_train, and training starts all the same', async () => {
    const written = path.join(work, 'warned.txt');
    // Weights of 0 give 0.5, which no training can leave as it is: the run must make passes.
    fs.writeFileSync(written, 'input_layer: 2\ncomp_layer: 1\nmax_weight: -3\n  weights: 0 0\npattern: 1 0 -> 1\n');
    const native = web.run(web.netTrain, ['warned.txt'], work);
    const warning = 'warned.txt:3: "max_weight:" is -3: every weight that training changes becomes +3';
    assert.ok(native.err.includes(`net_train: ${warning}\n`), native.err);
    await page.setInputFiles('#network-file', written);
    await page.waitForFunction(() => document.getElementById('state-details').textContent.startsWith('warned.txt'));
    assert.deepEqual(await page.$$eval('#problems li', (items) => items.map((item) => item.textContent)), [warning]);
    assert.ok((await page.evaluate(() => window.ncStep(10))).passes > 0);
});

test('a dropped network file is loaded; the maps show for two inputs, the worst patterns otherwise', async () => {
    const text = fs.readFileSync(path.join(web.examplesDir, 'follower_training.txt'), 'utf8');
    await dropFiles([{name: 'follower_training.txt', text}]);
    await page.waitForFunction(() => document.getElementById('state-details').textContent.startsWith('follower_training.txt'));
    assert.equal(await page.$$eval('#problems li', (items) => items.length), 0);
    await page.evaluate(() => window.ncStep(50));
    assert.ok(await page.isHidden('#map-canvas'));
    const errors = await page.$$eval('#pattern-table tr', (rows) => rows.slice(1).map((row) => Number(row.cells[1].textContent)));
    assert.ok(errors.length > 1 && errors.length <= 10);
    assert.deepEqual(errors, [...errors].sort((a, b) => b - a));

    const native = trainNatively('exclusive_or.txt', 'exclusive_or_patterns.csv', 'trained_again.txt');
    await page.focus('#example');
    await page.selectOption('#example', {label: 'Exclusive-or from a table'});
    await page.waitForFunction(() => !document.getElementById('map-canvas').hidden);
    // Chosen from the keyboard, the list keeps the focus, so that the next arrow moves in it.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'example');
    await page.evaluate(() => document.activeElement.blur());  // the keys of the tests after this go to the page
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

// 25,007 neurons, 25,000 of them in a column of 320 pixel rows: drawn one by one with their
// values, a frame would cost the network's size rather than the screen's.
test('a layer of more neurons than pixel rows is drawn as a shaded column, its values left out', async () => {
    const huge = path.join(work, 'huge_layer.txt');
    fs.writeFileSync(huge, 'input_layer: 3\ncomp_layer: 25000\ncomp_layer: 4\npattern: 0 1 0 -> 1 0 0 1\n');
    assert.equal(await filesLoaded(() => page.setInputFiles('#network-file', huge)), 'huge_layer.txt');
    await page.evaluate(() => window.ncStep(0));
    const drawn = await page.evaluate(() => {
        const canvas = document.getElementById('network-canvas');
        const {data} = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        const lit = (x, y) => data[4 * (y * canvas.width + x)] + data[4 * (y * canvas.width + x) + 1] +
            data[4 * (y * canvas.width + x) + 2] > 0;
        const count = (left, top, right, bottom) => {
            let found = 0;
            for (let y = top; y < bottom; ++y)
                for (let x = left; x < right; ++x)
                    found += lit(x, y) ? 1 : 0;
            return found;
        };
        const middle = canvas.width / 2;
        const rows = [];
        for (let y = 30; y < canvas.height - 30; ++y)
            rows.push(count(middle - 10, y, middle + 10, y + 1) > 0);
        // The hidden layer's column down the middle; right of it, towards the outputs, only the
        // values of its neurons or lines could be drawn, and both are left out.
        return {emptyRows: rows.filter((filled) => !filled).length,
            beside: count(Math.round(canvas.width * 0.52), 0, Math.round(canvas.width * 0.85), canvas.height - 30)};
    });
    assert.equal(drawn.emptyRows, 0);
    assert.equal(drawn.beside, 0);
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
        // A slope between the layers gives them different slopes.
        {name: 'slopes.txt', text: 'input_layer: 2\ncomp_layer: 2\nslope_parameter: 0.7\ncomp_layer: 1\n' +
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

// FNV-1a over every weight's bits in file order, as the engine's tests hash a network.
function weightChecksum(text) {
    let hash = 14695981039346656037n;
    const bytes = new DataView(new ArrayBuffer(8));
    for (const line of text.split('\n')) {
        const [key, ...values] = line.trim().split(/\s+/);
        if (key !== 'weights:')
            continue;
        for (const value of values) {
            bytes.setFloat64(0, Number(value), true);
            for (let k = 0; k < 8; ++k)
                hash = ((hash ^ BigInt(bytes.getUint8(k))) * 1099511628211n) & 0xFFFFFFFFFFFFFFFFn;
        }
    }
    return hash;
}

test('a network from layer sizes has the engine\'s weights to the bit, and refused sizes say why', async () => {
    const [built, refused] = await page.evaluate(async () => {
        const module = await createNeuralCreatures();
        return [module.layersNetwork([3, 4, 2], 7), module.layersNetwork([2, 0, 1], 7)];
    });
    assert.equal(built.reason, '');
    assert.equal(weightChecksum(built.text), 0xca94294e62a92f78n);  // as FromLayers.SeedGivesTheSameBitsEverywhere
    assert.equal(refused.text, '');
    assert.match(refused.reason, /layer 2 has 0 neurons/);
});

// The data-set control gives the loaded network the very table net_train --write-data-set
// writes: it trains to the same pass and bytes as net_train on that table.
test('a data set from the control trains as net_train trains on the table it writes', async () => {
    web.copyExample('exclusive_or_training.txt', work);
    const written = web.run(web.netTrain, ['--write-data-set', 'spirals', '--points', '40', '--noise', '0.1',
        '--seed', '3', '-o', 'spirals.csv'], work);
    assert.equal(written.status, 0, written.err);
    const native = web.run(web.netTrain, ['exclusive_or_training.txt', '-t', 'spirals.csv', '-o', 'spirals.txt'],
        work);
    assert.equal(native.status, 1, native.err);  // the iteration limit
    await filesLoaded(() => page.setInputFiles('#network-file', path.join(web.examplesDir, 'exclusive_or_training.txt')));
    await page.selectOption('#data-set', 'spirals');
    await page.fill('#data-set-points', '40');
    await page.fill('#data-set-noise', '0.1');
    await page.fill('#data-set-seed', '3');
    assert.equal(await filesLoaded(() => page.click('#data-set-use')), 'exclusive_or_training.txt + spirals.csv');
    assert.equal(await page.$$eval('#problems li', (items) => items.length), 0);
    assert.equal((await page.evaluate(() => window.ncStep(1e6))).state, 'iteration limit');
    assert.ok((await download(() => page.click('#save'))).equals(fs.readFileSync(path.join(work, 'spirals.txt'))));

    await page.fill('#data-set-points', '0');
    await page.click('#data-set-use');
    await page.waitForFunction(() => document.getElementById('state-details').textContent
        .includes('no data set made: the number of points must be 1 to 1000000'));
});

test('a held-out share trains as net_train --test-share does, and the status gives the held-out errors', async () => {
    await page.selectOption('#example', '0');
    await page.selectOption('#held-out-share', '0.5');
    // The state lines follow in the next frame.
    const heldOutLine = /^held out: (\d+) patterns, seed (\d+)$/m;
    await page.waitForFunction((source) => new RegExp(source, 'm').test(
        document.getElementById('state-details').textContent), heldOutLine.source);
    const [, count, seed] = (await page.textContent('#state-details')).match(heldOutLine);
    assert.equal(count, '2');
    web.copyExample('exclusive_or_training.txt', work);
    const result = web.run(web.netTrain, ['exclusive_or_training.txt', '--test-share', '0.5', '--test-seed', seed,
        '--curve', 'held_out.csv'], work);
    const [, passes] = result.out.match(/^passes: (\d+) /m);
    const rows = fs.readFileSync(path.join(work, 'held_out.csv'), 'utf8').trim().split('\n');
    assert.equal(rows[0], 'pass,worst_error,mean_squared_error,test_worst_error,test_mean_squared_error');
    const shown = await page.evaluate(() => window.ncStep(1e6));
    assert.equal(shown.passes, Number(passes));
    assert.equal(shown.heldOutPatterns, 2);
    assert.deepEqual([shown.passes, shown.worstError, shown.meanSquaredError, shown.heldOutWorstError,
        shown.heldOutMeanSquaredError], rows[rows.length - 1].split(',').map(Number));
    await page.waitForFunction(() => /^held-out worst: \d\.\d{6}$/m.test(
        document.getElementById('state-details').textContent));
    await page.selectOption('#held-out-share', '0');
    assert.equal((await status()).heldOutPatterns, undefined);
});

test('Save lesson downloads net_train --lesson\'s bytes for the same run, held-out share and seed included',
    async () => {
        await page.selectOption('#example', '0');
        await page.selectOption('#held-out-share', '0.5');
        const heldOutLine = /^held out: (\d+) patterns, seed (\d+)$/m;
        await page.waitForFunction((source) => new RegExp(source, 'm').test(
            document.getElementById('state-details').textContent), heldOutLine.source);
        const [, , seed] = (await page.textContent('#state-details')).match(heldOutLine);
        web.copyExample('exclusive_or_training.txt', work);
        const result = web.run(web.netTrain, ['exclusive_or_training.txt', '--test-share', '0.5', '--test-seed', seed,
            '--lesson', 'lesson.txt'], work);
        assert.equal(result.status, 0, result.err);
        await page.evaluate(() => window.ncStep(1e6));
        const lesson = fs.readFileSync(path.join(work, 'lesson.txt'));
        assert.ok(lesson.includes(`\ntest_share: 0.5\ntest_seed: ${seed}\n`));
        assert.ok((await download(() => page.click('#saveLesson'), 'lesson.txt')).equals(lesson));
        await page.selectOption('#held-out-share', '0');
    });

test('with Learn thresholds checked the page trains and saves net_train --learn-thresholds\'s bytes', async () => {
    web.copyExample('exclusive_or_training.txt', work);
    const native = web.run(web.netTrain, ['exclusive_or_training.txt', '--learn-thresholds', '-o', 'learned.txt'],
        work);
    const [, passes] = native.out.match(/^passes: (\d+) /m);
    await page.setInputFiles('#network-file', path.join(work, 'exclusive_or_training.txt'));
    await page.waitForFunction(() => document.getElementById('state-details').textContent
        .startsWith('exclusive_or_training.txt'));
    assert.equal(await page.isChecked('#learn-thresholds'), false);
    await page.check('#learn-thresholds');
    await page.keyboard.press('r');  // a reset keeps the choice
    await page.evaluate((count) => window.ncStep(count), Number(passes));
    await page.waitForFunction(() => document.getElementById('state-details').textContent
        .includes('thresholds: learned (T)'));
    const saved = await download(() => page.click('#save'));
    assert.ok(saved.equals(fs.readFileSync(path.join(work, 'learned.txt'))));
    assert.ok(saved.toString().includes('neuron_threshold: '));
    await page.keyboard.press('t');  // the next frame shows it
    await page.waitForFunction(() => !document.getElementById('learn-thresholds').checked);
});

test('a fresh page draws the error limit and steps through net_lab\'s passes per frame: 100 at start, from 1 to 50000', async () => {
    const fresh = await web.openPage(browser.context, web.fileUrl());
    const shows = (passes) => fresh.page.waitForFunction((line) => document.getElementById('state-details')
        .textContent.includes(line), `passes per frame: ${passes} (+ -)`);
    await shows(100);
    // The error limit's line, at the row the core's curve scale gives.
    const limitPixels = await fresh.page.evaluate(() => {
        const canvas = document.getElementById('curve-canvas');
        const {data} = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        let count = 0;
        for (let at = 0; at < data.length; at += 4)
            count += data[at] === 243 && data[at + 1] === 223 && data[at + 2] === 40 ? 1 : 0;
        return count;
    });
    assert.ok(limitPixels > 100, String(limitPixels));
    for (const [key, end] of [['-', 1], ['+', 50000]]) {
        for (let i = 0; i < 20; ++i)
            await fresh.page.keyboard.press(key);
        await shows(end);
    }
    await fresh.page.keyboard.press('-');
    await shows(20000);
    assert.deepEqual(fresh.errors, []);
    await fresh.page.close();
});

// Pixels of a canvas as [r, g, b], from the page.
function canvasPixels(shown, id) {
    return shown.evaluate((canvasId) => {
        const canvas = document.getElementById(canvasId);
        const {data} = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        return {width: canvas.width, height: canvas.height, data: Array.from(data)};
    }, id);
}

test('a fresh page says what it is, names the values\' inputs and draws the exclusive-or dots whole with axes', async () => {
    const fresh = await web.openPage(browser.context, web.fileUrl());
    await fresh.page.evaluate(() => window.ncStep(0));
    assert.equal(await fresh.page.$$eval('#lab-intro p', (lines) => lines.length), 3);
    assert.match(await fresh.page.textContent('#network-values'), /^The values under the neurons are for inputs [\d.e+-]+, [\d.e+-]+, the row evaluated last\.$/);
    const map = await canvasPixels(fresh.page, 'map-canvas');
    const at = (x, y) => map.data.slice(4 * (y * map.width + x), 4 * (y * map.width + x) + 3);
    const orange = [255, 121, 0];
    const blue = [0, 113, 255];
    // Each corner's dot has its colour three pixels out from its centre, towards the canvas's edge.
    const corners = [[0, 0, orange], [0, 1, blue], [1, 0, blue], [1, 1, orange]];
    for (const [input1, input2, color] of corners) {
        const {x, y} = await fresh.page.evaluate(([a, b]) => NcHeatMap.dotCentre(a, b), [input1, input2]);
        const outward = [x + (input1 === 0 ? -3 : 3), y + (input2 === 1 ? -3 : 3)];
        for (const [px, py] of [[outward[0], y], [x, outward[1]]]) {
            const seen = at(px, py);
            assert.ok(seen.every((c, i) => Math.abs(c - color[i]) < 40), `${input1} ${input2} at ${px},${py}: ${seen}`);
        }
    }
    // The axes' numbers and titles left of the plot and under it, and the curve's error title.
    const lit = (pixels, left, top, right, bottom) => {
        let count = 0;
        for (let y = top; y < bottom; ++y)
            for (let x = left; x < right; ++x)
                count += pixels.data[4 * (y * pixels.width + x)] > 60 ? 1 : 0;
        return count;
    };
    const plot = await fresh.page.evaluate(() => NcHeatMap.dotCentre(0, 0));
    assert.ok(lit(map, 0, 0, plot.x - 6, map.height) > 20);
    assert.ok(lit(map, 0, plot.y + 6, map.width, map.height) > 50);
    const curve = await canvasPixels(fresh.page, 'curve-canvas');
    assert.ok(lit(curve, 0, 40, 14, curve.height - 40) > 20);
    assert.deepEqual(fresh.errors, []);
    await fresh.page.close();
});

test('hovering a hidden neuron shows its map in the map\'s place, named; a click holds it until the next', async () => {
    const fresh = await web.openPage(browser.context, web.fileUrl());
    await fresh.page.evaluate(() => window.ncStep(2000));
    const title = () => fresh.page.textContent('#map-title');
    const outputTitle = await title();
    const outputMap = (await canvasPixels(fresh.page, 'map-canvas')).data;
    // The first hidden neuron's square: the first pixel of the ring's green down the middle column.
    const network = await canvasPixels(fresh.page, 'network-canvas');
    const middle = network.width / 2;
    let top = 0;
    const ring = (y) => network.data[4 * (y * network.width + middle)] === 0 && network.data[4 * (y * network.width + middle) + 1] === 182;
    while (top < network.height && !ring(top))
        ++top;
    const box = await fresh.page.$eval('#network-canvas', (canvas) => {
        const bounds = canvas.getBoundingClientRect();
        return {x: bounds.left, y: bounds.top};
    });
    const shows = (text) => fresh.page.waitForFunction((shown) => document.getElementById('map-title').textContent === shown, text);
    await fresh.page.mouse.move(box.x + middle, box.y + top + 6);
    await shows('hidden 1, neuron 1: its output over the inputs');
    assert.notDeepEqual((await canvasPixels(fresh.page, 'map-canvas')).data, outputMap);
    await fresh.page.mouse.move(box.x + 5, box.y + 200);
    await shows(outputTitle);
    await fresh.page.mouse.click(box.x + middle, box.y + top + 6);
    await fresh.page.mouse.move(box.x + 5, box.y + 200);
    await fresh.page.evaluate(() => window.ncStep(0));
    assert.equal(await title(), 'hidden 1, neuron 1: its output over the inputs');
    await fresh.page.mouse.click(box.x + middle, box.y + top + 6);
    await shows(outputTitle);
    assert.deepEqual(fresh.errors, []);
    await fresh.page.close();
});

test('a lesson opened from its link trains pass for pass as net_train trains its lesson.txt, and so does its copied link',
    async () => {
        const recipe = 'layers=2,4,4,1&seed=3&data=spirals&points=120&noise=0.05&dataseed=2&share=0.25&iterations=400';
        const first = await web.openPage(browser.context, web.fileUrl(`#lab?${recipe}`));
        const shown = await first.page.evaluate(() => window.ncStatus());
        assert.deepEqual([shown.layers, shown.patterns, shown.heldOut, shown.seed, shown.passes], [[2, 4, 4, 1], 120, 30, 3, 0]);
        fs.writeFileSync(path.join(work, 'link_lesson.txt'), await first.page.evaluate(() => window.ncLesson()));
        const native = web.run(web.netTrain, ['link_lesson.txt', '--lesson', 'link_trained.txt'], work);
        assert.equal(native.status, 1, native.err);
        const passes = Number(native.out.match(/^passes: (\d+)/m)[1]);
        const trained = fs.readFileSync(path.join(work, 'link_trained.txt'), 'utf8');
        const trainedThere = async (where) => {
            const after = await where.evaluate(() => window.ncStep(1e6));
            return [after.passes, await where.evaluate(() => window.ncLesson())];
        };
        assert.deepEqual(await trainedThere(first.page), [passes, trained]);
        // The copied link opens the lesson as it started, and so does its text loaded as a file.
        await first.page.click('#copy-link');
        const link = await first.page.inputValue('#link-text');
        assert.match(link, /#lab\?layers=2,4,4,1&seed=3&/);
        const second = await web.openPage(browser.context, link);
        assert.deepEqual(await trainedThere(second.page), [passes, trained]);
        await second.page.evaluate((text) => window.ncLoadLesson(text),
            fs.readFileSync(path.join(work, 'link_lesson.txt'), 'utf8'));
        assert.deepEqual(await trainedThere(second.page), [passes, trained]);
        assert.deepEqual([...first.errors, ...second.errors], []);
        await first.page.close();
        await second.page.close();
    });

test('a link that gives no lesson says why and opens the first lesson', async () => {
    const opened = await web.openPage(browser.context, web.fileUrl('#lab?layers=3,1'));
    await opened.page.waitForFunction(() => /the link gives no lesson/.test(
        document.getElementById('state-details').textContent));
    assert.equal((await opened.page.evaluate(() => window.ncStatus())).patterns, 4);
    await opened.page.close();
});

test('a 2-4-4-1 network built with the controls on spirals, held out in part, trains as net_train trains its lesson',
    async () => {
        await page.selectOption('#example', '0');
        await page.click('#add-layer');
        await page.waitForFunction(() => window.ncStatus().layers.join() === '2,2,2,1');
        for (const id of ['#neurons-more-1', '#neurons-more-1', '#neurons-more-2', '#neurons-more-2'])
            await page.click(id);
        await page.waitForFunction(() => window.ncStatus().layers.join() === '2,4,4,1');
        await page.selectOption('#data-set', 'spirals');
        await page.fill('#data-set-points', '100');
        await page.click('#regenerate');
        await page.waitForFunction(() => window.ncStatus().patterns === 100);
        await page.fill('#iteration-limit', '300');
        await page.dispatchEvent('#iteration-limit', 'change');
        await page.selectOption('#held-out-share', '0.2');
        await page.waitForFunction(() => window.ncStatus().heldOut === 20 && window.ncStatus().maxIterations === 300);
        assert.match(await page.evaluate(() => location.hash), /^#lab\?layers=2,4,4,1&.*data=spirals/);
        fs.writeFileSync(path.join(work, 'built.txt'), await page.evaluate(() => window.ncLesson()));
        const native = web.run(web.netTrain, ['built.txt', '--lesson', 'built_trained.txt'], work);
        assert.equal(native.status, 1, native.err);
        const trained = await page.evaluate(() => window.ncStep(1e6));
        assert.equal(trained.passes, Number(native.out.match(/^passes: (\d+)/m)[1]));
        assert.equal(await page.evaluate(() => window.ncLesson()),
            fs.readFileSync(path.join(work, 'built_trained.txt'), 'utf8'));
    });

test('points tapped on the map train as a CSV table of the same points does', async () => {
    await page.click('#clear-points');
    await page.waitForFunction(() => window.ncStatus().patterns === 0);
    const map = page.locator('#map-canvas');
    await map.scrollIntoViewIfNeeded();
    const scale = (await map.boundingBox()).width / (await page.evaluate(() => document.getElementById('map-canvas').width));
    const taps = [[0.2, 0.3, '0'], [0.8, 0.7, '1'], [0.3, 0.9, '1'], [0.7, 0.1, '0']];
    for (const [input1, input2, category] of taps) {
        await page.selectOption('#point-class', category);
        const {x, y} = await page.evaluate(([a, b]) => NcHeatMap.dotCentre(a, b), [input1, input2]);
        await map.click({position: {x: (x + 0.5) * scale, y: (y + 0.5) * scale}});
    }
    await page.waitForFunction((count) => window.ncStatus().patterns === count, taps.length);
    const lesson = await page.evaluate(() => window.ncLesson());
    const patterns = lesson.split('\n').filter((line) => line.startsWith('pattern:'));
    const rows = patterns.map((line) => line.replace('pattern: ', '').replace(' ->', '').split(' ').join(','));
    assert.deepEqual(rows.map((row) => row.split(',')[2]), taps.map((tap) => tap[2]));
    fs.writeFileSync(path.join(work, 'tapped.csv'), `x1,x2,target\n${rows.join('\n')}\n`);
    fs.writeFileSync(path.join(work, 'tapped.txt'), lesson.split('\n').filter((line) => !line.startsWith('pattern:')).join('\n'));
    const native = web.run(web.netTrain, ['tapped.txt', '-t', 'tapped.csv', '-o', 'tapped_trained.txt'], work);
    const trained = await page.evaluate(() => window.ncStep(1e6));
    assert.equal(trained.passes, Number(native.out.match(/^passes: (\d+)/m)[1]), native.err);
    assert.ok((await download(() => page.click('#save'))).equals(fs.readFileSync(path.join(work, 'tapped_trained.txt'))));
    await page.selectOption('#held-out-share', '0');
    await page.selectOption('#example', '0');
});

test('while the data are drawn points, a drag on the map adds a trail of them and keeps the touch; else a swipe scrolls', async () => {
    const touch = () => page.$eval('#map-canvas', (map) => getComputedStyle(map).touchAction);
    await page.selectOption('#example', '0');
    await page.evaluate(() => document.activeElement.blur());
    assert.equal(await touch(), 'auto');
    await page.click('#clear-points');
    await page.waitForFunction(() => window.ncStatus().patterns === 0);
    await page.evaluate(() => window.ncStep(0));
    assert.equal(await touch(), 'none');
    const map = page.locator('#map-canvas');
    await map.scrollIntoViewIfNeeded();
    const box = await map.boundingBox();
    const at = async (input1) => {
        const {x, y} = await page.evaluate((a) => NcHeatMap.dotCentre(a, 0.25), input1);
        return [box.x + x + 0.5, box.y + y + 0.5];
    };
    await page.mouse.move(...await at(0.2));
    await page.mouse.down();
    await page.mouse.move(...await at(0.8), {steps: 10});
    await page.mouse.up();
    await page.waitForFunction(() => window.ncStatus().patterns >= 10);
    const points = (await page.evaluate(() => window.ncLesson())).split('\n').filter((line) => line.startsWith('pattern:'))
        .map((line) => line.replace('pattern: ', '').split(' ').map(Number));
    assert.ok(points.every(([input1, input2]) => input1 >= 0.19 && input1 <= 0.81 && Math.abs(input2 - 0.25) < 0.01),
        JSON.stringify(points));
});

test('axe-core finds nothing to mend in the lab, with the map or the table of patterns, problems listed', async () => {
    await page.selectOption('#example', '0');
    await page.evaluate(() => window.ncStep(100));
    assert.deepEqual(await web.axeViolations(page), []);
    await dropFiles([{name: 'wide.txt', text: 'input_layer: 3\ncomp_layer: 2\npattern: 0 1 0 -> 1 2\nnonsense: 1\n'}]);
    await page.waitForFunction(() => document.querySelectorAll('#problems li').length > 0);
    await page.evaluate(() => window.ncStep(10));
    assert.deepEqual(await web.axeViolations(page), []);
});

test('nothing went wrong in the page', () => {
    assert.deepEqual(errors, []);
    assert.ok(requests.every((url) => /^(file|blob|data):/.test(url)), requests.join('\n'));
});

test('the gallery lists lessons by name with a line each; one holding patterns out trains as net_train does',
    async () => {
        const names = await page.$$eval('#example option', (options) => options.map((option) => option.textContent));
        assert.ok(names.includes('Over-fitting'), names.join(', '));
        assert.ok(!names.some((name) => /\.(txt|csv)\b/.test(name)), names.join(', '));
        fs.copyFileSync(path.join(web.examplesDir, 'lessons', 'over_fitting.txt'), path.join(work, 'over_fitting.txt'));
        const result = web.run(web.netTrain, ['over_fitting.txt', '--curve', 'over_fitting.csv'], work);
        assert.equal(result.status, 0, result.err);
        const rows = fs.readFileSync(path.join(work, 'over_fitting.csv'), 'utf8').trim().split('\n');

        await filesLoaded(() => page.selectOption('#example', {label: 'Over-fitting'}));
        assert.equal(await page.inputValue('#held-out-share'), '0.5');
        assert.match(await page.textContent('#example-line'), /over-fitting/);
        const shown = await page.evaluate(() => window.ncStep(1e6));
        assert.deepEqual([shown.passes, shown.worstError, shown.meanSquaredError, shown.heldOutWorstError,
            shown.heldOutMeanSquaredError], rows[rows.length - 1].split(',').map(Number));
    });

test('at the fastest step, training between frames, the page still answers Space and then trains no more',
    async () => {
        // The spirals lesson with an error limit no run reaches.
        const text = fs.readFileSync(path.join(web.examplesDir, 'lessons', 'spirals.txt'), 'utf8')
            .replace(/^error_limit: .*$/m, 'error_limit: 0').replace(/^max_iterations: .*$/m, 'max_iterations: 2000000000');
        fs.writeFileSync(path.join(work, 'endless_spirals.txt'), text);
        await filesLoaded(() => page.setInputFiles('#network-file', path.join(work, 'endless_spirals.txt')));
        const clickTimes = (id, count) => page.evaluate(([button, times]) => {
            for (let step = 0; step < times; ++step)
                document.getElementById(button).click();
        }, [id, count]);
        await clickTimes('faster', 20);
        await page.keyboard.press(' ');
        await page.waitForFunction(() => window.ncStatus().passes > 1000);
        await page.keyboard.press(' ');
        await page.waitForFunction(() => window.ncStatus().state === 'paused');
        const paused = (await status()).passes;
        // Ten frames later, and the tasks between them run, nothing has moved.
        await page.evaluate(() => new Promise((resolve) => {
            let frames = 10;
            const tick = () => (--frames > 0 ? requestAnimationFrame(tick) : resolve());
            requestAnimationFrame(tick);
        }));
        assert.equal((await status()).passes, paused);
        // Back to the starting step, the seventh, for the tests that come after.
        await clickTimes('slower', 20);
        await clickTimes('faster', 6);
    });
