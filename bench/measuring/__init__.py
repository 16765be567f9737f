"""The parts of bench/measure.py: sound, processes, summary."""
