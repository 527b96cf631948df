// The browser tests' own helpers on tiny pages of their own: axeViolations names a violation
// planted in a page and none in the same page made right, in whichever browser runs it.
const assert = require('node:assert/strict');
const {after, before, test} = require('node:test');
const web = require('./browser.js');

let browser;

before(async () => {
    browser = await web.startBrowser();
});

after(() => browser.close());

const tinyPage = (body) => `data:text/html,${encodeURIComponent('<!DOCTYPE html><html lang="en"><head>' +
    `<meta charset="utf-8"><title>A tiny page</title></head><body><main><h1>Dots</h1>${body}</main></body></html>`)}`;

test('axeViolations names a picture without a text alternative, and nothing once it has one', async () => {
    const page = await browser.context.newPage();
    const picture = 'src="data:image/svg+xml,%3Csvg xmlns=%22http://www.w3.org/2000/svg%22/%3E" width="8" height="8"';
    await page.goto(tinyPage(`<p>A dot:</p><img id="dot" ${picture}>`));
    const found = await web.axeViolations(page);
    assert.deepEqual(found.map(({id, impact, targets}) => ({id, impact, targets})),
        [{id: 'image-alt', impact: 'critical', targets: ['#dot']}]);
    assert.match(found[0].help, /alternative text/);
    await page.goto(tinyPage(`<p>A dot:</p><img id="dot" alt="a blue dot" ${picture}>`));
    assert.deepEqual(await web.axeViolations(page), []);
    await page.close();
});
