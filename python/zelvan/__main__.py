"""python -m zelvan [OPTION [INPUT]]: the batch program itself (zelvan.run
runs it so, in a process of its own)."""

import sys

from . import _zelvan

sys.exit(_zelvan.main(["zelvan"] + sys.argv[1:]))
