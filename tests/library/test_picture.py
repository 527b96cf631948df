"""The network's picture for notebooks: its size, colours, legend, labels and values."""
import itertools
import xml.etree.ElementTree as ElementTree

import numpy as np
import pytest

from neural_creatures import Network

SVG = "{http://www.w3.org/2000/svg}"
# One neuron of the hidden layer has a threshold of its own; the others keep the default 0.
ONE_THRESHOLD = """input_layer: 2
comp_layer: 2
  weights: 0.5 -0.25
  weights: 1 0.75
  neuron_threshold: 0.5
comp_layer: 1
  weights: 2 -1.5
"""


def picture(network):
    """The picture parsed, which also proves it well-formed."""
    return ElementTree.fromstring(network._repr_svg_())


def group(svg, name):
    return next(g for g in svg.iter(SVG + "g") if g.get("id") == name)


def texts(svg, name):
    return [t.text for t in group(svg, name).iter(SVG + "text")]


def discs(svg):
    return group(svg, "neurons").findall(SVG + "circle")


def evaluated(sizes):
    network = Network.from_layers(sizes, seed=1)
    network.evaluate(np.linspace(0, 1, sizes[0]))
    return network


def contrast(first, second):
    def luminance(color):
        linear = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
                  for c in (int(c) / 255 for c in color[4:-1].split(","))]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    light, dark = sorted([luminance(first), luminance(second)], reverse=True)
    return (light + 0.05) / (dark + 0.05)


@pytest.mark.parametrize("smaller, larger, dimension", [
    ([2, 2, 1], [2, 2, 2, 1], "width"),
    ([2, 2, 1], [2, 9, 1], "height"),
    ([4, 30, 10], [4, 40, 10], "height"),
])
def test_the_size_follows_the_layers(smaller, larger, dimension):
    small, large = picture(evaluated(smaller)), picture(evaluated(larger))
    assert int(small.get(dimension)) < int(large.get(dimension))
    assert small.get("viewBox") == f"0 0 {small.get('width')} {small.get('height')}"


def test_the_background_is_transparent_and_every_stroke_and_text_reads_on_light_and_dark():
    network = Network.from_text(ONE_THRESHOLD)
    network.evaluate([0, 1])
    svg = picture(network)
    assert svg.findall(f".//{SVG}rect") == [] and svg.get("style") is None
    colors = {element.get(key) for element in svg.iter() for key in ("stroke", "fill")
              if element.tag != SVG + "circle" or key == "stroke"} - {None, "none"}
    assert len(colors) >= 3  # the text's ink, and a colour per weight sign
    for color, page in itertools.product(colors, ["rgb(255,255,255)", "rgb(17,17,17)"]):
        assert contrast(color, page) >= 3, (color, page)


@pytest.mark.parametrize("evaluate, first_line", [
    (True, "outputs"),
    (False, "outputs: none shown until the network is evaluated"),
])
def test_the_legend_names_the_shades_the_weight_colours_and_signs(evaluate, first_line):
    network = Network.from_layers([3, 4, 2], seed=2, max_weight=2)
    if evaluate:
        network.evaluate([0, 0.5, 1])
    svg = picture(network)
    legend, words = group(svg, "legend"), texts(svg, "legend")
    shades = ["-1", "-0.5", "0", "0.5", "1"] if evaluate else []
    assert words[0] == first_line and len(legend.findall(SVG + "circle")) == len(shades)
    assert words[1:] == shades + ["weights", "+", "-", "|w| up to", "0.5", "1", "1.5", "2"]
    signs = {line.get("stroke") for line in legend.iter(SVG + "path") if line.get("stroke-width") == "2.5"}
    drawn = {line.get("stroke") for line in group(svg, "lines").iter(SVG + "path")}
    assert len(signs) == 2 and drawn <= signs


@pytest.mark.parametrize("text, setting, shown", [
    (ONE_THRESHOLD, None, ["t=0.5"]),
    (ONE_THRESHOLD, 0.25, ["t=0.25"] * 3),  # every computing neuron set alike; the inputs have none
    ("input_layer: 2\ncomp_layer: 1\n  weights: 1 1\n", None, []),
], ids=["one neuron", "every neuron", "none"])
def test_thresholds_are_shown_only_where_they_differ_from_the_default(text, setting, shown):
    network = Network.from_text(text)
    if setting is not None:
        network.threshold = setting
    svg = picture(network)
    assert [label for label in texts(svg, "labels") if "(" not in label] == shown
    assert any(t.startswith("t=: the threshold") for t in texts(svg, "legend")) == any(shown)


def boxes(svg):
    """The boxes of every text and disc, as (left, top, right, bottom), in a monospace font."""
    size = int(svg.get("font-size"))
    found = []
    for t in svg.iter(SVG + "text"):
        x, y = float(t.get("x")), float(t.get("y"))
        found.append((x, y - size, x + 0.6 * size * len(t.text), y + 0.25 * size))
    for x, y, r in ((float(c.get(key)) for key in ("cx", "cy", "r")) for c in svg.iter(SVG + "circle")):
        found.append((x - r, y - r, x + r, y + r))
    return found


@pytest.mark.parametrize("sizes, threshold", [([64, 32, 10], None), ([64, 32, 10], -0.123), ([784, 100, 10], None)])
def test_no_two_labels_overlap_and_all_lie_inside(sizes, threshold):
    network = Network.from_layers(sizes, seed=3, threshold=threshold)
    network.evaluate(np.random.default_rng(1).normal(size=sizes[0]))  # long labels: negative and small values
    svg = picture(network)
    width, height = int(svg.get("width")), int(svg.get("height"))
    found = boxes(svg)
    assert len(found) > sum(min(64, s) for s in sizes)
    for left, top, right, bottom in found:
        assert 0 <= left and right <= width and 0 <= top and bottom <= height
    for a, b in itertools.combinations(found, 2):
        assert a[2] <= b[0] or b[2] <= a[0] or a[3] <= b[1] or b[3] <= a[1], (a, b)


@pytest.mark.parametrize("sizes, drawn, notes", [
    ([64, 32, 10], 106, []),
    ([784, 100, 10], 138, ["inputs (784): 64 of 784 neurons drawn, evenly spread",
                           "hidden (100): 64 of 100 neurons drawn, evenly spread"]),
])
def test_large_layers_are_thinned_with_a_note(sizes, drawn, notes):
    svg = picture(evaluated(sizes))
    assert len(discs(svg)) == drawn
    assert [t for t in texts(svg, "legend") if "drawn" in t] == notes
    # The inputs drawn run evenly from the first to the last, whose values are 0 and 1.
    inputs = [float(t) for t in texts(svg, "labels")[len(sizes):][:min(64, sizes[0])]]
    assert inputs[0] == 0 and inputs[-1] == 1 and inputs == sorted(inputs)
    # A thinned layer takes the height of 64 rows.
    bottom = [max(int(c.get("cy")) for c in discs(drawn)) for drawn in (svg, picture(evaluated([64, 3])))]
    assert bottom[0] == bottom[1]


@pytest.mark.parametrize("steps, values_shown", [
    ([], False),
    ([lambda n: n.evaluate(np.zeros((0, 2)))], False),  # no row evaluated
    ([lambda n: n.evaluate([0, 1])], True),
    ([lambda n: n.evaluate([[1, 1], [0, 1]])], True),  # the last row's values
    ([lambda n: n.train([[0, 1]], [0])], False),  # trained, never evaluated
    # Training ends on an evaluation of its last pattern with the new weights.
    ([lambda n: n.evaluate([1, 1]), lambda n: n.train([[0, 1]], [0])], True),
    # The inputs evaluated last, evaluated with the parameters held now.
    ([lambda n: n.evaluate([0, 1]), lambda n: setattr(n, "slope_parameter", 3.0)], True),
])
def test_values_are_those_of_a_real_evaluation_or_none(steps, values_shown):
    network = Network.from_text(ONE_THRESHOLD.replace("  neuron_threshold: 0.5\n", ""))
    for step in steps:
        step(network)
    svg = picture(network)
    fills, labels = [c.get("fill") for c in discs(svg)], [t for t in texts(svg, "labels") if "(" not in t]
    if not values_shown:
        assert fills == ["none"] * 5 and labels == []
        return
    outputs = network.evaluate([0, 1])
    assert labels[:2] == ["0", "1"] and labels[-1] == f"{outputs[0]:.3g}"
    # The input of 0 shows black, the input of 1 white.
    assert fills[:2] == ["rgb(0,0,0)", "rgb(255,255,255)"]


def test_the_picture_is_small_and_the_same_for_the_same_network():
    network = evaluated([64, 32, 10])
    text = network._repr_svg_()
    assert len(text.encode()) < 60_000 and text.count("\n") < 400
    assert evaluated([64, 32, 10])._repr_svg_() == text == network._repr_svg_()
