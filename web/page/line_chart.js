// The learning curve as net_lab draws it: worst error and mean squared error against passes
// on a logarithmic scale of whole decades, with a line at the error limit, and the held-out
// patterns' two errors when some are held out; the axes and the limit's line are named. Also
// an evolution's best and mean scores by generation, in the same frame.
const NcLineChart = (() => {
    const colors = {
        worst: 'rgb(255,81,81)', meanSquared: 'rgb(81,223,81)', limit: 'rgb(243,223,40)',
        frame: 'rgb(121,121,121)', text: 'rgb(182,182,182)',
        heldOutWorst: 'rgb(255,162,243)', heldOutMeanSquared: 'rgb(81,203,255)',
    };
    const margin = {left: 54, right: 8, top: 22, bottom: 18};
    const font = '11px monospace';  // the smallest text a phone shows legibly
    const legendRow = 14;  // pixels from one row of the legend to the next
    const legendGap = 14;  // pixels between two names on a row

    // The legend's names placed left to right from `left`, on as many rows as `width` needs;
    // each as [label, colour, x, row], and the number of rows.
    function legendPlaces(context, legend, left, width) {
        const places = [];
        let x = left;
        let row = 0;
        for (const [label, color] of legend) {
            const length = context.measureText(label).width;
            if (x > left && x + length > left + width) {
                x = left;
                ++row;
            }
            places.push([label, color, x, row]);
            x += length + legendGap;
        }
        return {places, rows: row + 1};
    }

    // The canvas cleared, the legend's [label, color] names (on as many rows as the width
    // needs), the frame and the axes' texts of a chart whose box `chart(width, height)` fills:
    // {ticks: [[text, row]], lastX, xName, yName}. Gives the box and what `chart` made of it.
    function frame(context, legend, chart) {
        const {width: canvasWidth, height: canvasHeight} = NcCanvasBox.size(context.canvas);
        context.fillStyle = 'black';
        context.fillRect(0, 0, canvasWidth, canvasHeight);
        context.font = font;
        context.textBaseline = 'middle';
        const {places, rows} = legendPlaces(context, legend, margin.left, canvasWidth - margin.left - margin.right);
        const x = margin.left;
        const y = margin.top + legendRow * (rows - 1);
        const width = canvasWidth - margin.left - margin.right;
        const height = canvasHeight - y - margin.bottom;
        const drawn = chart(width, height);
        for (const [label, color, labelX, row] of places) {
            context.fillStyle = color;
            context.fillText(label, labelX, 8 + legendRow * row);
        }
        context.strokeStyle = colors.frame;
        context.strokeRect(x + 0.5, y + 0.5, width - 1, height - 1);
        context.fillStyle = colors.text;
        context.textAlign = 'right';
        for (const [text, row] of drawn.ticks)
            context.fillText(text, x - 5, y + row);
        context.fillText(String(drawn.lastX), x + width - 1, y + height + 9);
        context.textAlign = 'left';
        context.fillText('0', x, y + height + 9);
        context.textAlign = 'center';
        context.fillText(drawn.xName, x + width / 2, y + height + 9);
        context.save();
        context.translate(8, y + height / 2);
        context.rotate(-Math.PI / 2);
        context.fillText(drawn.yName, 0, 0);
        context.restore();
        context.textAlign = 'left';
        return {x, y, width, height, drawn};
    }

    // Lines through the points (columns[i], rows[i]) of each [rows, color] of `lines`, in the box at (x, y).
    function strokeLines(context, x, y, columns, lines) {
        for (const [rows, color] of lines) {
            context.strokeStyle = color;
            context.beginPath();
            rows.forEach((row, i) => {
                const px = x + columns[i] + 0.5;
                const py = y + row + 0.5;
                if (i === 0)
                    context.moveTo(px, py);
                else
                    context.lineTo(px, py);
            });
            context.stroke();
        }
    }

    // Draws the curve `curveFor(width, height)` gives for the box left in the canvas (the lab
    // session's curveDrawing: rows and columns on net_lab's scale), filling the canvas; the
    // held-out errors only with `heldOut`; the limit's line is named with `errorLimit`'s value.
    function draw(context, curveFor, heldOut = false, errorLimit = undefined) {
        // Five names need the shorter words; a narrow canvas puts them on two rows.
        const legend = heldOut
            ? [['worst', colors.worst], ['mean sq.', colors.meanSquared], ['limit', colors.limit],
                ['test worst', colors.heldOutWorst], ['test mean sq.', colors.heldOutMeanSquared]]
            : [['worst error', colors.worst], ['mean squared', colors.meanSquared], ['error limit', colors.limit]];
        const {x, y, width, drawn: {curve}} = frame(context, legend, (width, height) => {
            const drawn = curveFor(width, height);
            return {lastX: drawn.lastPass, xName: 'passes',
                yName: 'error, log scale', ticks: drawn.decades.map(([exponent, row]) => [`1e${exponent}`, row]),
                curve: drawn};
        });
        if (curve.limitRow >= 0) {
            context.fillStyle = colors.limit;
            context.fillRect(x + 1, y + curve.limitRow, width - 2, 1);
            const limitText = errorLimit === undefined ? 'error limit' : `error limit ${NcPageState.shortNumber(errorLimit)}`;
            // Above the line, unless the line runs along the box's top.
            const textRow = curve.limitRow > 12 ? curve.limitRow - 7 : curve.limitRow + 8;
            context.textAlign = 'right';
            context.fillText(limitText, x + width - 4, y + textRow);
            context.textAlign = 'left';
        }
        const lines = [[curve.meanSquared, colors.meanSquared], [curve.worst, colors.worst]];
        if (heldOut)
            lines.unshift([curve.heldOutMeanSquared, colors.heldOutMeanSquared], [curve.heldOutWorst, colors.heldOutWorst]);
        strokeLines(context, x, y, curve.columns, lines);
    }

    // The best and the mean score (0 to 100) of every generation, [best, mean] each, against
    // the generations.
    function drawScores(context, scores) {
        const {x, y, drawn} = frame(context, [['best', colors.worst], ['mean', colors.meanSquared]], (width, height) => {
            const row = (score) => Math.round((height - 1) * (1 - score / 100));
            const last = Math.max(1, scores.length);
            return {
                lastX: scores.length, xName: 'generations', yName: 'score',
                ticks: [0, 50, 100].map((score) => [String(score), row(score)]),
                columns: scores.map((_, i) => Math.round((width - 1) * (i + 1) / last)),
                best: scores.map(([best]) => row(best)), mean: scores.map(([, mean]) => row(mean)),
            };
        });
        strokeLines(context, x, y, drawn.columns, [[drawn.mean, colors.meanSquared], [drawn.best, colors.worst]]);
    }

    return {draw, drawScores};
})();

if (typeof module !== 'undefined')
    module.exports = NcLineChart;
