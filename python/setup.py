# pip install ./python: the module alone, pure Python; libtamrovi is installed
# by `make install`. A setup script without a pyproject.toml is built with the
# setuptools already installed (Debian's), so no package index is needed.
from setuptools import setup

setup(
    name="tamrovibmpfilters",
    version="1.0.0.1",
    description="Exact BMP filters on numpy arrays, on libtamrovi",
    packages=["tamrovibmpfilters"],
    python_requires=">=3.8",
    install_requires=["numpy"],
)
