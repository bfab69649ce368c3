# volarix.cmds against maya.cmds' conventions: arguments, flags, booleans,
# modes, results and errors, each checked by what the host holds afterwards.
import pytest

import volarix
import volarix.cmds as cmds
import volarix.mel as mel


def test_flags_by_long_or_short_name_and_positional_arguments(unique):
    short, long_ = unique("short"), unique("long")
    assert cmds.createNode("transform", n=short) == short
    assert cmds.createNode("transform", name=long_) == long_
    # A tuple is one use of a flag with several values.
    cmds.setAttr(short + ".translate", 1, -2.5, 3e2)
    assert cmds.getAttr(short + ".translate") == [(1.0, -2.5, 300.0)]
    cmds.xform(long_, t=(4, 5, 6))
    assert cmds.xform(long_, q=True, t=True) == [4.0, 5.0, 6.0]


def test_switches_true_gives_the_flag_false_leaves_it_out(unique):
    a, b = unique("sel"), unique("sel")
    cmds.createNode("transform", n=a)
    cmds.createNode("transform", n=b)
    cmds.select(a, r=True)
    assert cmds.ls(sl=True) == [a]
    cmds.select(b, add=True)
    assert cmds.ls(sl=True) == [a, b]
    # add=False is no -add: a plain select replaces.
    cmds.select(a, add=False)
    assert cmds.ls(sl=True) == [a]
    # sl=False lists everything, not the selection.
    assert b in cmds.ls(sl=False)
    cmds.select(cl=True)
    assert cmds.ls(sl=True) == []
    # 1 and 0 are switches too, as TDs write them; a string is not.
    cmds.select(a, r=1)
    assert cmds.ls(sl=1) == [a]
    assert cmds.xform(a, q=1, t=1) == [0.0, 0.0, 0.0]
    with pytest.raises(RuntimeError, match='Flag -sl takes True or False, got "yes"'):
        cmds.ls(sl="yes")
    # A mode flag with a value is a flag like any other.
    cmds.optionVar(iv=(a, 3))
    assert cmds.optionVar(q=a) == 3


def test_flags_that_take_a_boolean_get_it_as_their_value(unique):
    node = unique("locked")
    cmds.createNode("transform", n=node)
    cmds.setAttr(node + ".tx", lock=True)
    assert cmds.getAttr(node + ".tx", lock=True) is True
    with pytest.raises(RuntimeError, match="locked"):
        cmds.setAttr(node + ".tx", 1)
    cmds.setAttr(node + ".tx", lock=False)
    cmds.setAttr(node + ".tx", 2)
    assert cmds.getAttr(node + ".tx") == 2.0

    src, dst = unique("src"), unique("dst")
    cmds.createNode("transform", n=src)
    cmds.createNode("transform", n=dst)
    cmds.connectAttr(src + ".tx", dst + ".ty")
    # destination=True, source=False: the plug's outgoing connections only.
    assert cmds.listConnections(src, d=True, s=False) == [dst]
    assert cmds.listConnections(src, d=False, s=True) in (None, [])
    assert cmds.listConnections(dst, d=False, s=True) == [src]


def test_a_list_of_tuples_repeats_a_multi_use_flag(unique):
    name = unique("points")
    transform, shape = cmds.particle(n=name, p=[(0, 0, 0), (1, 0, 0), (1, 2, 0)])
    assert transform == name
    assert cmds.getAttr(shape + ".count") == 3
    # A list of plain numbers is one use: three values for the one -p.
    _, single = cmds.particle(n=unique("points"), p=[1, 2, 3])
    assert cmds.getAttr(single + ".count") == 1
    with pytest.raises(RuntimeError, match="Flag -p expects 3 values, got 2"):
        cmds.curve(d=1, p=[(0, 0, 0), (1, 0)])


def test_query_and_edit(unique):
    assert cmds.currentUnit(q=True, l=True) == "cm"
    cmds.playbackOptions(min=3, max=17)
    assert cmds.playbackOptions(q=True, min=True) == 3.0
    assert cmds.playbackOptions(query=True, max=True) == 17.0
    # q=False is no query: the flag takes its value.
    cmds.playbackOptions(q=False, max=20)
    assert cmds.playbackOptions(q=True, max=True) == 20.0


def test_results_have_python_types(unique):
    name = unique("types")
    assert cmds.createNode("transform", n=name) == name             # str
    assert cmds.objExists(name) is True                              # bool
    assert cmds.objExists(name + "Not") is False
    assert isinstance(cmds.getAttr(name + ".tx"), float)             # float
    assert cmds.getAttr(name + ".translate") == [(0.0, 0.0, 0.0)]    # a double3: one tuple
    assert cmds.getAttr(name + ".worldMatrix")[12:] == [0.0, 0.0, 0.0, 1.0]  # a matrix: 16 floats
    assert cmds.ls(name) == [name]                                   # list of str
    assert cmds.select(name, r=True) is None                         # nothing
    made = cmds.particle(n=unique("ps"), p=[(0, 0, 0), (1, 1, 1)])
    assert isinstance(made, list) and len(made) == 2
    assert cmds.getAttr(made[1] + ".count") == 2                     # int
    assert isinstance(cmds.getAttr(made[1] + ".count"), int)
    # A vector array is a list of tuples; a double array a list of floats.
    assert cmds.getAttr(made[1] + ".position") == [(0.0, 0.0, 0.0), (1.0, 1.0, 1.0)]
    assert cmds.getAttr(made[1] + ".particleId") == [0.0, 1.0]
    # MEL reads the same values flat, and a yes or no as an int.
    assert mel.eval("getAttr %s.position" % made[1]) == [0.0, 0.0, 0.0, 1.0, 1.0, 1.0]
    assert mel.eval("objExists %s" % name) == 1


def test_failures_raise_runtime_error_with_the_host_message():
    with pytest.raises(RuntimeError) as caught:
        cmds.setAttr("noSuchNode.tx", 1)
    assert str(caught.value) == "setAttr: No object matches name: noSuchNode.tx"
    with pytest.raises(RuntimeError, match=r'Invalid flag "-noSuchFlag"'):
        cmds.ls(noSuchFlag=True)
    with pytest.raises(ValueError, match="Flag n has no value"):
        cmds.createNode("transform", n=None)
    with pytest.raises(ValueError, match="takes numbers, strings"):
        cmds.setAttr("a.tx", {"x": 1})


def test_unknown_commands_are_attribute_errors():
    with pytest.raises(AttributeError):
        cmds.noSuchCommand
    assert not hasattr(cmds, "noSuchCommand")
    assert callable(cmds.setAttr)
    # dir() lists the commands, for completion in a prompt.
    assert {"setAttr", "getAttr", "ls", "particle"} <= set(dir(cmds))
    assert "noSuchCommand" not in dir(cmds)


def test_deferred_scripts_run_after_the_call_as_after_a_mel_statement(unique):
    name = unique("deferred")
    cmds.evalDeferred('createNode transform -n "%s"' % name)
    assert cmds.objExists(name)


def test_plugin_commands_appear_after_load_plugin(plugin, unique):
    assert hasattr(cmds, "QF_VX_target")
    field = unique("field")
    assert cmds.createNode("particleVolarix", n=field) == field
    cmds.setAttr(field + ".maximumSpeed", 20)
    assert cmds.getAttr(field + ".maximumSpeed") == 20.0
    assert cmds.QF_VX_target(field, q=True, numEntity=True) == 0


def test_the_plugins_three_commands_add_query_and_undo(plugin, unique):
    field = cmds.createNode("particleVolarix", n=unique("field"))
    for kind in ("target", "modifier", "obstacle"):
        command = getattr(cmds, "QF_VX_" + kind)
        entity = cmds.createNode("transform", n=unique(kind))
        cmds.createNode("QF_VX_%sLocatorNode" % kind, n=entity + "Shape", p=entity)
        cmds.select(field, entity, r=True)
        assert command(addEntity="position", makeKeyable=True) == ["|%s|%sShape" % (entity, entity)]
        # Taken back and done again: the connections go and come back.
        cmds.undo()
        assert cmds.listConnections(entity + "Shape", d=True, s=False) in (None, [])
        cmds.redo()
        assert set(cmds.listConnections(entity + "Shape", d=True, s=False)) == {field}
        assert command(field, q=True, numEntity=True) == 1
        assert command(field, q=True, listEntityNames=True) == [entity]
        assert command(field, q=True, listEntityTypes=True) == ["position"]
        assert command(field, q=True, lei=True) == [0]
    with pytest.raises(RuntimeError, match="Selection Error - Please select a particleVolarix node and an entity"):
        cmds.QF_VX_target(entity, addEntity="position")


def test_mel_eval_returns_the_last_statements_value(unique):
    assert mel.eval("1 + 2") == 3
    assert mel.eval("2.5 * 2") == 5.0
    assert mel.eval('string $s[] = {"a", "b"}; $s') == ["a", "b"]
    name = unique("mel")
    assert mel.eval('createNode transform -n "%s"' % name) == name
    # Python and MEL share one scene.
    assert cmds.objExists(name)
    with pytest.raises(RuntimeError, match="Cannot find procedure"):
        mel.eval("noSuchProcedure 1")


def test_the_package_exposes_cmds_and_mel():
    assert volarix.cmds is cmds and volarix.mel is mel
