// The page's plain functions: the view a URL asks for, the keys, the speed steps, the numbers
// of the state lines, which dropped file is the training file, the names files are stored
// under, and the curve's scale.
const assert = require('node:assert/strict');
const path = require('node:path');
const {test} = require('node:test');

const page = path.resolve(__dirname, '..', '..', 'web', 'page');
const state = require(path.join(page, 'page_state.js'));
const chart = require(path.join(page, 'line_chart.js'));

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

test('the speed steps stop at both ends', () => {
    const last = state.passesPerFrameSteps.length - 1;
    assert.equal(state.passesPerFrameSteps[state.startingSpeedStep], 100);
    assert.equal(state.fasterStep(last), last);
    assert.equal(state.slowerStep(0), 0);
    assert.equal(state.fasterStep(3), 4);
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

test('the curve\'s scale spans whole decades from 1 down to the smallest error, at most six', () => {
    assert.deepEqual(chart.fitScale([], 0.1), {lowExponent: -1, highExponent: 0, lastPass: 1});
    assert.deepEqual(chart.fitScale([[0, 0.9, 0.4], [500, 0.03, 0.0004]], 0.05),
        {lowExponent: -4, highExponent: 0, lastPass: 500});
    assert.deepEqual(chart.fitScale([[0, 12, 1e-20], [9, 1e-9, 0]], 0.1),
        {lowExponent: -4, highExponent: 2, lastPass: 9});
    const scale = {lowExponent: -2, highExponent: 0, lastPass: 100};
    assert.equal(chart.valueRow(scale, 1, 101), 0);
    assert.equal(chart.valueRow(scale, 0.1, 101), 50);
    assert.equal(chart.valueRow(scale, 0, 101), 100);
    assert.equal(chart.valueRow(scale, NaN, 101), 100);
    assert.equal(chart.passColumn(scale, 50, 101), 50);
});
