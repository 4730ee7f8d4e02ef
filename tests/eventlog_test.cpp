// placeholder

