# volarix.particles / set_particles / read_cache: the arrays a shape holds,
# exactly, after every way of putting them there, and every refusal.
import numpy as np
import pytest

import volarix
import volarix.cmds as cmds


@pytest.fixture(autouse=True)
def fresh():
    volarix.new_scene()


def make_flock(points=((0, 0, 0), (1, 2, 3), (-4, 5.5, 6))):
    _, shape = cmds.particle(n="flock", p=list(points))
    return shape


def test_particles_gives_every_per_particle_array():
    shape = make_flock()
    cmds.addAttr(shape, ln="heat", dt="doubleArray")
    cmds.addAttr(shape, ln="tint", dt="vectorArray")
    got = volarix.particles("flock")  # the transform finds its shape
    assert list(got) == ["position", "velocity", "id"]
    assert got["position"].dtype == np.float64 and got["position"].shape == (3, 3)
    assert got["position"].tolist() == [[0, 0, 0], [1, 2, 3], [-4, 5.5, 6]]
    assert got["velocity"].tolist() == [[0, 0, 0]] * 3
    assert got["id"].tolist() == [0, 1, 2]
    # Arrays not in use (empty: age, mass, heat, tint) are no per-particle
    # data yet.
    volarix.set_particles(shape, {"heat": [1, 2, 3], "tint": np.eye(3)})
    got = volarix.particles(shape)
    assert got["heat"].shape == (3,) and got["heat"].tolist() == [1, 2, 3]
    assert got["tint"].shape == (3, 3) and np.array_equal(got["tint"], np.eye(3))
    # The arrays are the caller's own: changing them leaves the scene alone.
    got["position"][:] = 7
    assert volarix.particles(shape)["position"][0].tolist() == [0, 0, 0]
    with pytest.raises(ValueError, match='"nothing" is no particle object'):
        volarix.particles("nothing")


def test_set_particles_round_trips_bit_for_bit_and_the_scene_follows():
    shape = make_flock()
    rng = np.random.default_rng(7)
    position = rng.normal(scale=1e3, size=(3, 3))
    position[0] = (0.1 + 0.2, -0.0, 5e-324)  # the awkward doubles survive too
    velocity = rng.normal(size=(3, 3))
    volarix.set_particles(shape, {"position": position, "velocity": velocity})
    got = volarix.particles(shape)
    assert got["position"].tobytes() == position.tobytes()
    assert got["velocity"].tobytes() == velocity.tobytes()
    # The graph sees the change: a step moves from the new state, and the
    # start frame's state is the one set there.
    cmds.currentTime(2)
    assert np.array_equal(volarix.particles(shape)["position"], position + velocity * (1.0 / 24.0))
    cmds.currentTime(1)
    assert volarix.particles(shape)["position"].tobytes() == position.tobytes()


def test_inputs_convertible_to_float64_are_taken():
    shape = make_flock()
    volarix.set_particles(shape, {"position": [(1, 2, 3), (4, 5, 6), (7, 8, 9)]})
    assert volarix.particles(shape)["position"].tolist() == [[1, 2, 3], [4, 5, 6], [7, 8, 9]]
    volarix.set_particles(shape, {"age": np.array([0.5, 1.25, 2], dtype=np.float32)})
    assert volarix.particles(shape)["age"].tolist() == [0.5, 1.25, 2.0]
    # A column of a bigger array (not contiguous) is read element by element.
    wide = np.arange(18, dtype=np.float64).reshape(3, 6)[:, ::2]
    volarix.set_particles(shape, {"velocity": wide})
    assert volarix.particles(shape)["velocity"].tolist() == wide.tolist()


def test_a_new_position_count_changes_the_count_as_emit_would():
    shape = make_flock()
    cmds.addAttr(shape, ln="heat", dt="doubleArray")
    volarix.set_particles(shape, {"heat": [1, 2, 3]})
    volarix.set_particles(shape, {"position": np.ones((5, 3))})
    assert cmds.getAttr(shape + ".count") == 5
    got = volarix.particles(shape)
    assert got["id"].tolist() == [0, 1, 2, 3, 4]
    assert got["heat"].tolist() == [1, 2, 3, 0, 0]
    assert got["velocity"].tolist() == [[0, 0, 0]] * 5
    volarix.set_particles(shape, {"position": np.zeros((2, 3)), "heat": [8, 9]})
    got = volarix.particles(shape)
    assert got["id"].tolist() == [0, 1] and got["heat"].tolist() == [8, 9]


@pytest.mark.parametrize("arrays, message", [
    ({"position": np.zeros((3, 2))}, r'"position" must have shape \(N, 3\), got \(3, 2\)'),
    ({"position": np.zeros(9)}, r'"position" must have shape \(N, 3\)'),
    ({"age": np.zeros((3, 1))}, r'"age" must have shape \(N,\)'),
    ({"velocity": [(0, 0, 0), (0, np.nan, 0), (0, 0, 0)]}, r'"velocity" holds NaN \(particle 1\)'),
    ({"age": [0, 0, np.inf]}, r'"age" holds infinity \(particle 2\)'),
    ({"age": ["a", "b", "c"]}, r'"age" must hold real numbers'),
    ({"age": [True, False, True]}, r'"age" must hold real numbers'),
    ({"age": [1, 2]}, r'"age" has 2 particles, but flockShape has 3'),
    ({"position": np.zeros((4, 3)), "age": [1, 2, 3]}, r'"(id|age)" has 3 particles, but "position" has 4'),
    ({"warmth": [1, 2, 3]}, r'flockShape has no per-particle array "warmth" \(it has position, velocity'),
    ({"count": [1, 2, 3]}, r'no per-particle array "count"'),
])
def test_bad_arrays_raise_value_error_and_change_nothing(arrays, message):
    shape = make_flock()
    before = volarix.particles(shape)
    with pytest.raises(ValueError, match=message):
        # A good array beside the bad one is not written either.
        volarix.set_particles(shape, {"id": [7, 8, 9], **arrays})
    after = volarix.particles(shape)
    assert list(after) == list(before)
    for name in before:
        assert after[name].tobytes() == before[name].tobytes(), name


def test_set_particles_needs_a_particle_object():
    cmds.createNode("transform", n="empty")
    with pytest.raises(ValueError, match='"empty" is no particle object'):
        volarix.set_particles("empty", {"position": np.zeros((1, 3))})
