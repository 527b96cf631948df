// The page's state that is not drawing: which view the URL asks for, what a key does, and the
// texts of the state lines. Plain functions, also run by node's tests. The lab's speed steps,
// training budget and rates are the C++ lab session's, read through the bindings.
const NcPageState = (() => {
    // Most passes or frames window.ncStep makes in one call: the C++ sessions count them in an int.
    const mostStepsAtOnce = 2 ** 31 - 1;
    // The creature world runs at creature_sim's pace under X.
    const creatureFramesPerSecond = 36;

    function viewFromHash(hash) {
        return hash === '#creatures' ? 'creatures' : 'lab';
    }

    // The lab's action for a key as KeyboardEvent.key gives it, or null.
    function labAction(key) {
        switch (key) {
        case ' ': return 'startPause';
        case '.': case 'Decimal': return 'onePass';
        case '+': case '=': return 'faster';
        case '-': return 'slower';
        case 'r': case 'R': return 'reset';
        case 's': case 'S': return 'save';
        case 't': case 'T': return 'learnThresholds';
        default: return null;
        }
    }

    // A number as C's "%g" shows it: six significant digits, no trailing zeros.
    function shortNumber(value) {
        if (!Number.isFinite(value))
            return Number.isNaN(value) ? 'nan' : (value > 0 ? 'inf' : '-inf');
        const exponent = value === 0 ? 0 : Math.floor(Math.log10(Math.abs(value)));
        if (exponent < -4 || exponent >= 6) {
            const [mantissa, power] = value.toExponential(5).split('e');
            const digits = power.replace(/^[-+]/, '').padStart(2, '0');
            const trimmed = mantissa.includes('.') ? mantissa.replace(/\.?0+$/, '') : mantissa;
            return `${trimmed}e${power[0] === '-' ? '-' : '+'}${digits}`;
        }
        const fixed = value.toFixed(5 - exponent);
        return fixed.includes('.') ? fixed.replace(/\.?0+$/, '') : fixed;
    }

    // "%.6f", with C's words for what is not a number.
    function fixedNumber(value) {
        return Number.isFinite(value) ? value.toFixed(6) : shortNumber(value);
    }

    // The lab's state lines, as net_lab shows them.
    function labLines(status) {
        return [
            `passes: ${status.passes} of ${status.maxIterations}`,
            `state: ${status.state}`,
            `passes/s: ${Math.round(status.passesPerSecond)}  frames/s: ${Math.round(status.framesPerSecond)}`,
            `passes per frame: ${status.passesPerFrame} (+ -)`,
            `worst error: ${fixedNumber(status.worstError)}`,
            `mean squared: ${fixedNumber(status.meanSquaredError)}`,
            `error limit: ${shortNumber(status.errorLimit)}`,
            status.drawnWeights > 0 ? `seed: ${status.seed} (${status.drawnWeights} weights)`
                                    : 'all weights from the file',
            `thresholds: ${status.learnThresholds ? 'learned' : 'fixed'} (T)`,
            ...(status.heldOutPatterns > 0
                ? [`held out: ${status.heldOutPatterns} patterns, seed ${status.seed}`,
                    `held-out worst: ${fixedNumber(status.heldOutWorstError)}`,
                    `held-out mean squared: ${fixedNumber(status.heldOutMeanSquaredError)}`]
                : []),
        ];
    }

    // The text alternatives of the lab's canvases: what the network drawing and the curve show.
    function networkLabel(layers) {
        const count = (n, one, many) => `${n} ${n === 1 ? one : many}`;
        const hidden = layers.slice(1, -1).map((n, index) => `hidden layer ${index + 1} of ${count(n, 'neuron', 'neurons')}`);
        return [`The network: ${count(layers[0] ?? 0, 'input', 'inputs')}`, ...hidden,
            count(layers.length > 1 ? layers[layers.length - 1] : 0, 'output', 'outputs')].join(', ') +
            '; each neuron shaded by its output, each connection by its weight.';
    }

    function curveLabel(status) {
        return `The learning curve after ${status.passes} passes: worst error ${fixedNumber(status.worstError)}, ` +
            `mean squared ${fixedNumber(status.meanSquaredError)}, error limit ${shortNumber(status.errorLimit)}.`;
    }

    // The state lines of the creatures view: what drives the creature, then the frame.
    function creatureLine(status, paused, driver = '') {
        const position = (value) => value.toFixed(1);
        return `${driver ? `${driver}\n` : ''}frame: ${status.frame}  creature: ${position(status.creature.x)}, ${position(status.creature.y)}  ` +
            `light: ${position(status.light.x)}, ${position(status.light.y)} radius ${status.light.radius}` +
            (paused ? '  (paused)' : '');
    }

    // Which of the dropped files are the network and which the training records, as positions
    // in `names` (null for none): a CSV table is always training records, so a lone table goes
    // with the network loaded now; else the first file is the network and a second its training.
    function sortFiles(names) {
        const csv = names.findIndex((name) => /\.csv$/i.test(name));
        const network = names.findIndex((name, index) => index !== csv && !/\.csv$/i.test(name));
        const second = names.findIndex((name, index) => index > network && index !== csv);
        const training = csv >= 0 ? csv : (network >= 0 && second >= 0 ? second : -1);
        return {network: network >= 0 ? network : null, training: training >= 0 ? training : null};
    }

    // The name a file the user gave is stored under: its own, with no folder, unless that is
    // `besides`, the name the network of the same load took; then it is marked before its
    // extension, which says how it is read (".csv" is a table).
    function storedFileName(name, besides = '') {
        const own = name.replace(/[/\\]/g, '_') || 'unnamed';
        if (own !== besides)
            return own;
        const dot = own.lastIndexOf('.');
        const [stem, extension] = dot > 0 ? [own.slice(0, dot), own.slice(dot)] : [own, ''];
        return `${stem} (training file)${extension}`;
    }

    return {
        mostStepsAtOnce, creatureFramesPerSecond, viewFromHash, labAction, shortNumber, fixedNumber, labLines,
        networkLabel, curveLabel, creatureLine, sortFiles, storedFileName,
    };
})();

if (typeof module !== 'undefined')
    module.exports = NcPageState;
