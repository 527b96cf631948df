// Starts the WebAssembly build of the engine and the creature world and hands the page its two
// sessions. Files the user picks go into the engine's file system under their own names, so
// the problems it lists name them as the user knows them.
const NcBindings = (() => {
    // The smallest module with a SIMD value: (func (result v128) i32.const 0 i8x16.splat). A
    // browser that cannot run WebAssembly SIMD refuses it.
    const simdProbe = new Uint8Array([
        0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,  // "\0asm", version 1
        0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,        // types: one, () -> v128
        0x03, 0x02, 0x01, 0x00,                          // functions: one, of type 0
        0x0a, 0x08, 0x01, 0x06, 0x00,                    // code: one body of 6 bytes, no locals
        0x41, 0x00, 0xfd, 0x0f, 0x0b,                    // i32.const 0, i8x16.splat, end
    ]);

    // Which build of the engine to start: 'simd' where the browser runs SIMD, else 'plain';
    // the address's ?engine=plain asks for the plain one anyway, so tests can compare the two.
    function engineBuild(search) {
        if (new URLSearchParams(search).get('engine') === 'plain')
            return 'plain';
        return WebAssembly.validate(simdProbe) ? 'simd' : 'plain';
    }

    // The two sessions and the engine's calls; throws (or rejects) where the engine cannot start.
    async function start(build) {
        const factory = build === 'simd' ? 'createNeuralCreatures' : 'createNeuralCreaturesPlain';
        const module = await window[factory]();
        module.FS.mkdir('/files');
        module.FS.chdir('/files');
        return {
            lab: new module.LabSession(),
            creatures: new module.CreatureSession(),
            // The engine's classroom data sets: their names, and one made from its arguments
            // as {table, inputs, targets}, or {problem}.
            dataSetNames: module.dataSetNames(),
            dataSet: (name, points, noise, seed) => module.dataSet(name, points, noise, seed),
            heldOutShares: module.heldOutShares(),
            // The lessons the lab offers, as [network, training or '', name, line], and a frame's training
            // budget after a drawing of so many seconds, as net_lab has them.
            labExamples: module.labExamples(),
            // The lesson a link's text ("layers=2,4,1&seed=1&...") describes, as {text, link,
            // reason}: the lesson file's text and the link in full, or why there is none.
            recipeLesson: (linkText) => module.recipeLesson(linkText),
            // A tap on the map at inputs (x, y) as a drawn point, {x, y, category}.
            drawnPointAt: (x, y, category) => module.drawnPointAt(x, y, category),
            trainingBudget: (drawingSeconds) => module.trainingBudget(drawingSeconds),
            // creature_lab evolve's defaults and ranges, and the script of the build started with
            // the name of its start, which a worker runs to evolve creatures beside the page.
            evolutionLimits: module.evolutionLimits(),
            engineSource: document.getElementById(build === 'simd' ? 'engine' : 'engine-plain').textContent,
            engineFactory: factory,
            // Whether a frame draws, after so many seconds since the last drawing took so many.
            drawingDue: (fullSpeed, sinceDrawn, drawingSeconds) => module.drawingDue(fullSpeed, sinceDrawn,
                drawingSeconds),
            // Stores `data` (text or bytes) as a file called `name`, kept apart from the file
            // stored as `besides`; returns the name it got.
            putFile(name, data, besides = '') {
                const stored = NcPageState.storedFileName(name, besides);
                module.FS.writeFile(stored, data);
                return stored;
            },
        };
    }

    // Hands `text` to the browser to save as a file called `name`, as a download.
    const keepLinkMs = 10000;  // the browser may read the link's blob after the click returns
    function saveFile(name, text) {
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([text], {type: 'text/plain'}));
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), keepLinkMs);
    }

    // The bytes of a File the user chose or dropped.
    async function readFile(file) {
        return new Uint8Array(await file.arrayBuffer());
    }

    return {engineBuild, start, readFile, saveFile};
})();
