// Debian's Firefox ESR driven by puppeteer-core over WebDriver BiDi, its pages given the
// playwright-style calls the browser tests make, so that the same test files run in it.
const fs = require('node:fs');
const path = require('node:path');

// As long as playwright waits for an element, an event or a function by default.
const defaultTimeout = 30000;

// The machine's network is closed and tests must not wait on it: no captive-portal, connectivity,
// DNS-over-HTTPS, push, telemetry, region, experiment or blocklist requests, no prefetching
// (puppeteer's own preferences already turn off updates, safe browsing and health reports).
const quietPreferences = {
    'app.shield.optoutstudies.enabled': false,
    'browser.region.network.url': '',
    'browser.region.update.enabled': false,
    'browser.safebrowsing.provider.mozilla.updateURL': '',
    'browser.topsites.contile.enabled': false,
    'dom.push.connection.enabled': false,
    'extensions.blocklist.enabled': false,
    'extensions.systemAddon.update.enabled': false,
    'geo.provider.network.url': '',
    'messaging-system.rsexperimentloader.enabled': false,
    'network.captive-portal-service.enabled': false,
    'network.connectivity-service.enabled': false,
    'network.dns.disablePrefetch': true,
    'network.predictor.enabled': false,
    'network.prefetch-next': false,
    'network.trr.mode': 5,
    'security.remote_settings.crlite_filters.enabled': false,
    'security.remote_settings.intermediates.enabled': false,
    'services.settings.server': 'data:,#remote-settings-dummy/v1',
    'toolkit.telemetry.archive.enabled': false,
    'toolkit.telemetry.enabled': false,
    'toolkit.telemetry.server': '',
    'toolkit.telemetry.unified': false,
};

// Every download goes, without a question, into `folder`.
const downloadPreferences = (folder) => ({
    'browser.download.dir': folder,
    'browser.download.folderList': 2,
    'browser.download.useDownloadDir': true,
    'browser.download.always_ask_before_handling_new_types': false,
    'browser.download.alwaysOpenPanel': false,
});

class Download {
    constructor(file) {
        this.file = file;
    }

    suggestedFilename() {
        return path.basename(this.file);
    }

    // Moved out, so that the next download of the same name keeps its name.
    async saveAs(target) {
        fs.copyFileSync(this.file, target);
        fs.rmSync(this.file);
    }
}

class FirefoxPage {
    constructor(page, connection) {
        this.page = page;
        this.connection = connection;
        // Keys as playwright names them, a chord such as "Shift+ArrowLeft" too.
        this.keyboard = {
            press: async (chord) => {
                const keys = chord.length > 1 ? chord.split('+') : [chord];
                const modifiers = keys.slice(0, -1);
                for (const key of modifiers)
                    await page.keyboard.down(key);
                await page.keyboard.press(keys[keys.length - 1]);
                for (const key of modifiers.reverse())
                    await page.keyboard.up(key);
            },
        };
        this.mouse = page.mouse;
    }

    // Requests as playwright lists them in Chromium: without the fragment, which no server
    // sees, and without data: URLs, which ask nothing of anyone.
    on(event, listener) {
        if (event !== 'request') {
            this.page.on(event, listener);
            return this;
        }
        this.page.on('request', (request) => {
            const url = request.url().split('#')[0];
            if (!url.startsWith('data:'))
                listener({url: () => url});
        });
        return this;
    }

    goto(url) {
        return this.page.goto(url);
    }

    close() {
        return this.page.close();
    }

    evaluate(script, argument) {
        return this.page.evaluate(script, argument);
    }

    evaluateHandle(script, argument) {
        return this.page.evaluateHandle(script, argument);
    }

    waitForFunction(script, argument, {timeout} = {}) {
        return this.page.waitForFunction(script, {timeout}, argument);
    }

    // Firefox says where a download ended up once it is written whole, in the WebDriver BiDi
    // event that puppeteer's connection passes on by its name.
    waitForEvent(event) {
        if (event !== 'download')
            throw new Error(`firefox_page: waits for downloads only, not for ${event}`);
        return new Promise((resolve, reject) => {
            const ended = ({status, filepath}) => {
                stop();
                if (status === 'complete')
                    resolve(new Download(filepath));
                else
                    reject(new Error(`firefox_page: the download ended ${status}`));
            };
            const timer = setTimeout(() => {
                stop();
                reject(new Error(`firefox_page: no download ended in ${defaultTimeout} ms`));
            }, defaultTimeout);
            const stop = () => {
                clearTimeout(timer);
                this.connection.off('browsingContext.downloadEnd', ended);
            };
            this.connection.on('browsingContext.downloadEnd', ended);
        });
    }

    $eval(selector, script, argument) {
        return this.page.$eval(selector, script, argument);
    }

    $$eval(selector, script, argument) {
        return this.page.$$eval(selector, script, argument);
    }

    textContent(selector) {
        return this.$eval(selector, (element) => element.textContent);
    }

    inputValue(selector) {
        return this.$eval(selector, (element) => element.value);
    }

    getAttribute(selector, name) {
        return this.$eval(selector, (element, attribute) => element.getAttribute(attribute), name);
    }

    isChecked(selector) {
        return this.$eval(selector, (element) => element.checked);
    }

    // Visible as playwright sees it: a box of some size, not hidden by style.
    isVisible(selector) {
        return this.evaluate((wanted) => {
            const element = document.querySelector(wanted);
            const box = element ? element.getBoundingClientRect() : {width: 0, height: 0};
            return box.width > 0 && box.height > 0 && getComputedStyle(element).visibility !== 'hidden';
        }, selector);
    }

    // Only {state: 'visible'}, the one state the tests wait for.
    waitForSelector(selector, {state}) {
        if (state !== 'visible')
            throw new Error(`waitForSelector: state ${state} is not given in Firefox`);
        return this.page.waitForSelector(selector, {visible: true});
    }

    async isHidden(selector) {
        return !(await this.isVisible(selector));
    }

    click(selector) {
        return this.page.click(selector);
    }

    async check(selector) {
        if (!(await this.isChecked(selector)))
            await this.click(selector);
    }

    focus(selector) {
        return this.page.focus(selector);
    }

    // The text replaced as typing replaces a selection: one input event, a change on leaving.
    async fill(selector, value) {
        await this.$eval(selector, (element, text) => {
            element.focus();
            element.select();
            document.execCommand(text === '' ? 'delete' : 'insertText', false, text);
        }, value);
    }

    // A value, or {label}, as playwright matches an option; input and change follow.
    async selectOption(selector, wanted) {
        const chosen = await this.$eval(selector, (select, choice) => {
            const option = [...select.options].find((item) => (typeof choice === 'string'
                ? item.value === choice || item.label === choice : item.label === choice.label));
            if (!option)
                return false;
            option.selected = true;
            select.dispatchEvent(new Event('input', {bubbles: true}));
            select.dispatchEvent(new Event('change', {bubbles: true}));
            return true;
        }, wanted);
        if (!chosen)
            throw new Error(`firefox_page: ${selector} has no option ${JSON.stringify(wanted)}`);
    }

    async setInputFiles(selector, file) {
        await (await this.page.waitForSelector(selector)).uploadFile(file);
    }

    // The event's fields may be handles (a DataTransfer); they travel as arguments of their own.
    async dispatchEvent(selector, type, fields = {}) {
        const keys = Object.keys(fields);
        await this.page.evaluate((wanted, name, names, ...values) => {
            const init = {bubbles: true, cancelable: true, composed: true};
            names.forEach((key, index) => { init[key] = values[index]; });
            const Kind = name === 'drop' || name.startsWith('drag') ? DragEvent : Event;
            document.querySelector(wanted).dispatchEvent(new Kind(name, init));
        }, selector, type, keys, ...Object.values(fields));
    }

    locator(selector) {
        const element = () => this.page.waitForSelector(selector);
        return {
            boundingBox: async () => (await element()).boundingBox(),
            scrollIntoViewIfNeeded: async () => (await element()).scrollIntoView(),
            click: async ({position} = {}) => (await element()).click(position ? {offset: position} : {}),
        };
    }
}

// Firefox with a fresh profile of puppeteer's (removed at close) and a download folder of its own.
async function startFirefox({puppeteer, executablePath, viewport, downloads}) {
    const browser = await puppeteer.launch({
        browser: 'firefox',
        protocol: 'webDriverBiDi',
        executablePath,
        headless: true,
        defaultViewport: viewport,
        // A release build takes another remote-settings server only when this is set.
        env: {...process.env, MOZ_REMOTE_SETTINGS_DEVTOOLS: '1'},
        extraPrefsFirefox: {...quietPreferences, ...downloadPreferences(downloads)},
    });
    return {
        context: {newPage: async () => new FirefoxPage(await browser.newPage(), browser.connection)},
        async close() {
            await browser.close();
            fs.rmSync(downloads, {recursive: true, force: true});
        },
    };
}

module.exports = {startFirefox};
