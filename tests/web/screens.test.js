// The page on the screens classrooms have, and from the keyboard alone: on a phone, a tablet and
// a Chromebook nothing overlaps and nothing scrolls sideways, the canvases follow the device
// pixel ratio, the training's figures fit a Chromebook's first screen; Tab, Enter and Space
// train and save; the page's keys wait while a control has the focus.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {test} = require('node:test');
const web = require('./browser.js');

const screens = [
    {name: 'phone', viewport: {width: 390, height: 844}, deviceScaleFactor: 3, hasTouch: true, isMobile: true},
    {name: 'tablet', viewport: {width: 1024, height: 768}, deviceScaleFactor: 2, hasTouch: true},
    {name: 'Chromebook', viewport: {width: 1366, height: 635}, deviceScaleFactor: 1,
        // What a student needs while the network learns, on the first screen.
        aboveTheFold: ['#example', '#start-pause', '#save', '#passes', '#state', '#state-details', '#map-canvas']},
];

// What the page shows that could overlap: every control, canvas, line of text and list, each
// pair of boxes that are not one inside the other.
function overlaps() {
    const shown = Array.from(document.querySelectorAll(
        'nav a, button, select, input, canvas, p, pre, table, ul, .hint')).filter((item) => item.getClientRects().length > 0);
    const found = [];
    for (let i = 0; i < shown.length; ++i) {
        for (let j = i + 1; j < shown.length; ++j) {
            const [a, b] = [shown[i], shown[j]];
            if (a.contains(b) || b.contains(a))
                continue;
            // Boxes line by line: text that runs on from one line to the next is not one box.
            const meet = (p, q) => Math.min(p.right, q.right) - Math.max(p.left, q.left) > 1 &&
                Math.min(p.bottom, q.bottom) - Math.max(p.top, q.top) > 1;
            if (Array.from(a.getClientRects()).some((p) => Array.from(b.getClientRects()).some((q) => meet(p, q))))
                found.push(`${a.id || a.tagName} over ${b.id || b.tagName}`);
        }
    }
    return found;
}

for (const screen of screens) {
    test(`on a ${screen.name}, nothing overlaps, nothing scrolls sideways, the canvases are sharp`, async () => {
        const {name, aboveTheFold = [], ...settings} = screen;
        const browser = await web.startBrowser(settings);
        try {
            const {page, errors} = await web.openPage(browser.context, web.fileUrl());
            for (const view of ['lab', 'creatures']) {
                await page.click(`#tab-${view}`);
                await page.waitForFunction((shown) => window.ncStatus().view === shown, view);
                await page.evaluate(() => window.ncStep(50));
                assert.deepEqual(await page.evaluate(overlaps), [], `${name}, ${view}`);
                assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
                    `${name}, ${view} scrolls sideways`);
                // Backing stores of the device's pixels, and a swipe scrolls except where a drag
                // moves the light.
                const canvases = await page.$$eval('canvas', (all) => all.filter((c) => c.getClientRects().length > 0)
                    .map((c) => ({id: c.id, pixels: c.width, shown: c.getBoundingClientRect().width,
                        touch: getComputedStyle(c).touchAction})));
                assert.ok(canvases.length > 0);
                for (const canvas of canvases) {
                    assert.ok(Math.abs(canvas.pixels - canvas.shown * screen.deviceScaleFactor) <= 1,
                        `${name}: ${canvas.id} has ${canvas.pixels} pixels for ${canvas.shown} shown`);
                    assert.equal(canvas.touch === 'none', canvas.id === 'arena', `${name}: ${canvas.id}`);
                }
            }
            await page.click('#tab-lab');
            for (const selector of aboveTheFold) {
                const box = await page.locator(selector).boundingBox();
                assert.ok(box && box.y >= 0 && box.y + box.height <= screen.viewport.height &&
                    box.x + box.width <= screen.viewport.width, `${name}: ${selector} at ${JSON.stringify(box)}`);
            }
            assert.deepEqual(errors, []);
        } finally {
            await browser.close();
        }
    });
}

test('from the keyboard alone a student trains, resets and saves; the page\'s keys wait for a focused control', async () => {
    const browser = await web.startBrowser();
    const work = web.temporaryDirectory('nc-keyboard-test-');
    try {
        const {page, errors} = await web.openPage(browser.context, web.fileUrl());
        const focused = () => page.evaluate(() => document.activeElement.id);
        const tabTo = async (id) => {
            for (let presses = 0; presses < 60 && (await focused()) !== id; ++presses)
                await page.keyboard.press('Tab');
            assert.equal(await focused(), id);
        };
        const state = () => page.evaluate(() => window.ncStatus().state);
        // Enter on Start trains to the end; Space on Reset resets and does not start.
        await tabTo('start-pause');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => window.ncStatus().state === 'converged', null, {timeout: 60000});
        await tabTo('reset');
        await page.keyboard.press(' ');
        await page.waitForFunction(() => window.ncStatus().passes === 0);
        assert.equal(await state(), 'paused');
        // S on a focused button is not the page's: no download; Enter on Save is.
        await page.evaluate(() => {
            window.ncDownloads = 0;
            const create = URL.createObjectURL;
            URL.createObjectURL = (blob) => (++window.ncDownloads, create(blob));
        });
        await page.keyboard.press('s');
        await page.evaluate(() => window.ncStep(0));
        assert.equal(await page.evaluate(() => window.ncDownloads), 0);
        await tabTo('start-pause');
        await page.keyboard.press(' ');
        await page.waitForFunction(() => window.ncStatus().state === 'converged', null, {timeout: 60000});
        const passes = (await page.evaluate(() => window.ncStatus())).passes;
        await tabTo('save');
        const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('Enter')]);
        const saved = path.join(work, 'trained.txt');
        await download.saveAs(saved);
        web.copyExample('exclusive_or_training.txt', work);
        const native = web.run(web.netTrain, ['exclusive_or_training.txt', '-o', 'native.txt'], work);
        assert.ok(native.out.includes(`passes: ${passes} `), native.out);
        assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(path.join(work, 'native.txt'))));
        // An arrow in the lesson list loads the next lesson and keeps the focus there, and the
        // page's keys leave the list its own.
        const firstLine = await page.textContent('#example-line');
        await page.focus('#example');
        await page.keyboard.press('ArrowDown');
        await page.waitForFunction(() => document.getElementById('example').value === '1');
        assert.notEqual(await page.textContent('#example-line'), firstLine);
        assert.equal(await focused(), 'example');
        const pace = () => page.evaluate(() => window.ncStep(0)).then(() => page.textContent('#state-details'))
            .then((details) => details.match(/passes per frame: \d+/)[0]);
        const before = await pace();
        await page.keyboard.press('+');
        assert.equal(await pace(), before);
        assert.equal(await focused(), 'example');
        assert.deepEqual(errors, []);
    } finally {
        await browser.close();
        fs.rmSync(work, {recursive: true, force: true});
    }
});
