// The page's plain functions: the view a URL asks for, the keys, the numbers of the state
// lines, which dropped file is the training file and the names files are stored under. The
// speed steps and the curve's scale are the C++ core's (tests/lab_session), which the browser
// tests see the page use.
const assert = require('node:assert/strict');
const path = require('node:path');
const {test} = require('node:test');

const page = path.resolve(__dirname, '..', '..', 'web', 'page');
const state = require(path.join(page, 'page_state.js'));

test('the URL hash chooses the view, the lab by default', () => {
    for (const [hash, view] of [['', 'lab'], ['#lab', 'lab'], ['#creatures', 'creatures'], ['#other', 'lab']])
        assert.equal(state.viewFromHash(hash), view, hash);
});

test('keys act as in net_lab', () => {
    const table = [[' ', 'startPause'], ['.', 'onePass'], ['+', 'faster'], ['=', 'faster'], ['-', 'slower'],
        ['r', 'reset'], ['R', 'reset'], ['s', 'save'], ['S', 'save'], ['t', 'learnThresholds'],
        ['T', 'learnThresholds'], ['x', null], ['Enter', null]];
    for (const [key, action] of table)
        assert.equal(state.labAction(key), action, key);
});

test('numbers read as C prints them with %g and %.6f', () => {
    const table = [[0.1, '0.1'], [0, '0'], [1e-7, '1e-07'], [123456789, '1.23457e+08'], [2.5, '2.5'],
        [100000, '100000'], [1e6, '1e+06'], [0.0001, '0.0001'], [-0.05, '-0.05'], [NaN, 'nan'], [Infinity, 'inf']];
    for (const [value, text] of table)
        assert.equal(state.shortNumber(value), text, String(value));
    assert.equal(state.fixedNumber(0.0499), '0.049900');
    assert.equal(state.fixedNumber(Infinity), 'inf');
});

test('a CSV table is always the training file; else of two files the second is', () => {
    const table = [[['a.txt'], {network: 0, training: null}],
        [['a.csv'], {network: null, training: 0}],
        [['a.txt', 'b.csv'], {network: 0, training: 1}],
        [['b.CSV', 'a.txt'], {network: 1, training: 0}],
        [['a.txt', 'b.txt'], {network: 0, training: 1}],
        [['data.txt', 'data.txt'], {network: 0, training: 1}],
        [[], {network: null, training: null}]];
    for (const [names, sorted] of table)
        assert.deepEqual(state.sortFiles(names), sorted, names.join(' '));
});

test('a training file named like its network is stored apart, keeping its extension', () => {
    const table = [[['data.txt', ''], 'data.txt'], [['data.txt', 'data.txt'], 'data (training file).txt'],
        [['t.csv', 't.csv'], 't (training file).csv'], [['data', 'data'], 'data (training file)'],
        [['a/b.txt', 'a_b.txt'], 'a_b (training file).txt'], [['', ''], 'unnamed']];
    for (const [[name, besides], stored] of table)
        assert.equal(state.storedFileName(name, besides), stored, `${name} besides ${besides}`);
});

test('every connection but one of weight 0 is drawn at least at the visible share, its sign kept', () => {
    const drawing = require(path.join(page, 'network_drawing.js'));
    for (const [ratio, least, most] of [[0, 0, 0], [0.001, 0.35, 0.36], [-0.001, -0.36, -0.35], [0.5, 0.67, 0.68],
        [1, 1, 1], [-1, -1, -1]]) {
        const shown = drawing.visibleRatio(ratio);
        assert.ok(shown >= least && shown <= most, `${ratio}: ${shown}`);
    }
});
