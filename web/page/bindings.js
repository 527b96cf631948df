// Starts the WebAssembly build of the engine and the creature world and hands the page its two
// sessions. Files the user picks go into the engine's file system under their own names, so
// the problems it lists name them as the user knows them.
const NcBindings = (() => {
    async function start() {
        const module = await createNeuralCreatures();
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
            // creature_lab evolve's defaults and ranges, and the engine's own script, which a
            // worker runs to evolve creatures beside the page.
            evolutionLimits: module.evolutionLimits(),
            engineSource: document.getElementById('engine').textContent,
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

    // The bytes of a File the user chose or dropped.
    async function readFile(file) {
        return new Uint8Array(await file.arrayBuffer());
    }

    return {start, readFile};
})();
