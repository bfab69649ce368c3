import itertools

import pytest

import volarix.cmds as cmds

_names = itertools.count(1)


@pytest.fixture
def unique():
    """A name no other test uses: the host keeps one scene per process."""
    return lambda stem: "%s%d" % (stem, next(_names))


@pytest.fixture(scope="session")
def plugin():
    cmds.loadPlugin("particleVolarix")
    return "particleVolarix"
