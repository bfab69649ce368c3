# Seek with arrival, in Python: the scene of seek.mel written with
# volarix.cmds, step for step, so both write the same caches.
#
# Run it with:
#   build/bin/volarix run scenes/seek.py --cache out/seek-py --frames 1:30
# or, from a Python of your own (PYTHONPATH=build/python), import it and step
# the frames yourself.
import volarix.cmds as cmds

cmds.loadPlugin("particleVolarix")
cmds.seed(1)                               # the field's random draws repeat run after run
cmds.playbackOptions(min=1, max=240)       # ten seconds at 24 frames per second

# 600 particles at rest in a ball of radius 12 cm around the origin.
flock = cmds.particle(n="flock", jbp=(0, 0, 0), nj=600, jr=12)

cmds.createNode("particleVolarix", n="swarm")
for attribute, value in [("maximumSpeed", 24), ("maximumForce", 40), ("numberOfNeighbours", 6),
                         ("boidSeparation", 2), ("flockCentringUrge", 0.3),
                         # strong enough to brake inside the arrival distance
                         ("magnitude", 4)]:
    cmds.setAttr("swarm." + attribute, value)
cmds.connectDynamic("flock", f="swarm")

# The goal: a target locator of no volume, so it pulls on every particle.
cmds.createNode("transform", n="goal")
cmds.createNode("QF_VX_targetLocatorNode", n="goalShape", p="goal")
cmds.setAttr("goal.translate", 60, 20, -30)
cmds.setAttr("goalShape.width", 0)

cmds.select("swarm", "goal", r=True)
cmds.QF_VX_target(addEntity="position", makeKeyable=True)
cmds.setAttr("goal.SteeringType", 0)       # seek
cmds.setAttr("goal.ArrivalDistance", 30)   # brake within 30 cm of the goal

assert cmds.QF_VX_target("swarm", q=True, numEntity=True) == 1
cmds.select(cl=True)
