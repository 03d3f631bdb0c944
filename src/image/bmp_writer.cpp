// image writer
