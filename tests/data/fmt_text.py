"""corvane-convert's jasc (as other tools write it), gpl and hex formats, worked out from their layouts for
make_samples.py: the sample files made here, and each format's detection,
reader and writer."""


def samples():
    """Sample files of these formats, name: bytes."""
    return {}


# name: an object with detect(head, whole), read(data) and write(palette, name)
FORMATS = {}
