"""Runs the Python package's tests under the distribution's pytest; exits 77
(reported as skipped by ctest) when pytest or numpy is missing."""
import os
import sys

try:
    import numpy  # noqa: F401
    import pytest
except ImportError as e:
    print('python_package: skipped, %s (Debian: python3-pytest, python3-numpy)' % e)
    sys.exit(77)

here = os.path.dirname(os.path.abspath(__file__))
sys.exit(pytest.main(['-q', '-p', 'no:cacheprovider', here]))
