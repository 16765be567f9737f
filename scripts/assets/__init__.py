"""The drawing and encoding behind scripts/make-assets.py, one module a kind of asset."""
